// Saving Tolvar.ini: a new file written in one piece, flushed and read back,
// then put in the old one's place by one rename. This runs on the window's
// thread, so it never waits long: a file that may not be written fails at
// once, and one that another program holds, after a moment.
#include "host/settings/settings_file.h"

#include <windows.h>

#include "host/settings/settings_ini.h"
#include "host/app/system_message.h"

namespace tolvar {

namespace {

// Another program that has the file open (a virus scanner looking at the
// new file, a sync client, an editor reading) mostly lets go within a few
// milliseconds; one that holds it longer is waited for no longer than this.
const DWORD kInUseRetryMs = 200;
const DWORD kInUsePauseMs = 20;

bool IsReadOnly(const std::string &path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// True when the error says that another program has the file open, rather
// than that it may not be written: access is also denied while a file that
// another program holds is being replaced or deleted.
bool IsInUse(DWORD error, const std::string &path)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           (error == ERROR_ACCESS_DENIED && !IsReadOnly(path));
}

// Runs attempt (true on success, else with the error set) again while the
// file at path is in use, for at most kInUseRetryMs.
template <typename Attempt>
bool TryBriefly(const std::string &path, Attempt attempt)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (attempt())
            return true;
        const DWORD error = GetLastError();
        if (!IsInUse(error, path) || GetTickCount() - start >= kInUseRetryMs) {
            SetLastError(error);
            return false;
        }
        Sleep(kInUsePauseMs);
    }
}

std::string FailureText(const std::string &path)
{
    const DWORD error = GetLastError();
    return IsReadOnly(path) ? "the file is read-only" : SystemMessage(error);
}

bool WriteNewFile(const std::string &next, const std::string &text, std::string *error)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    const bool opened = TryBriefly(next, [&] {
        file = CreateFileA(next.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        return file != INVALID_HANDLE_VALUE;
    });
    if (!opened) {
        *error = FailureText(next);
        return false;
    }
    const DWORD size = static_cast<DWORD>(text.size());
    DWORD done = 0;
    bool ok = WriteFile(file, text.data(), size, &done, nullptr) && done == size && FlushFileBuffers(file);
    if (!ok) {
        *error = SystemMessage(GetLastError());
    } else {
        std::string back(text.size(), '\0');
        ok = SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
             ReadFile(file, &back[0], size, &done, nullptr) && done == size && back == text;
        if (!ok)
            *error = "the new file did not read back as written";
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

bool SaveSettingsFile(const std::string &path, const Settings &settings, std::string *error)
{
    // Nothing is written beside a file the user made read-only.
    if (IsReadOnly(path)) {
        *error = "the file is read-only";
        return false;
    }
    const size_t slash = path.rfind('\\');
    if (slash != std::string::npos)
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    // Only this program writes the new file: any left by a save cut short
    // was taken or kept aside at start.
    const std::string next = path + ".new";
    if (!WriteNewFile(next, SettingsFileText(settings), error)) {
        DeleteFileA(next.c_str());
        return false;
    }
    const bool replaced = TryBriefly(path, [&] {
        return MoveFileExA(next.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    });
    if (!replaced) {
        *error = FailureText(path);
        DeleteFileA(next.c_str());
        return false;
    }
    return true;
}

}  // namespace tolvar
