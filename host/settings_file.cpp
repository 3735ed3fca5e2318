// Tolvar.ini on disk: where it lives, reading it, saving it crash-safe.
#include "host/settings_file.h"

#include <windows.h>

#include "host/settings_ini.h"

namespace tolvar {

namespace {

// Values longer than this are read cut, and then fail the length checks.
const DWORD kValueBuffer = 1024;
// Stands for "no such value": no text the program writes holds it.
const char kMissing[] = "\x01\x02";

class ProfileFile : public ProfileReader {
public:
    explicit ProfileFile(const std::string &path) : path_(path) {}
    bool Read(const std::string &section, const std::string &key, std::string *value) const override
    {
        char buffer[kValueBuffer];
        const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissing, buffer,
                                                 kValueBuffer, path_.c_str());
        if (n == sizeof kMissing - 1 && lstrcmpA(buffer, kMissing) == 0)
            return false;
        value->assign(buffer, n);
        return true;
    }

private:
    std::string path_;
};

std::string SystemMessage(DWORD error)
{
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof text, nullptr);
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s.empty() ? "error " + std::to_string(error) : s;
}

// "key=value\0key=value\0\0", the form WritePrivateProfileSectionA takes.
std::string SectionText(const ProfileSection &section)
{
    std::string text;
    for (const auto &v : section.values) {
        text += v.first + "=" + v.second;
        text += '\0';
    }
    text += '\0';
    return text;
}

bool WriteProfile(const std::string &path, const Settings &settings)
{
    for (const ProfileSection &section : SettingsToProfile(settings)) {
        if (!WritePrivateProfileSectionA(section.name.c_str(), SectionText(section).c_str(),
                                         path.c_str()))
            return false;
    }
    // Hands anything the profile API still holds in memory to the file.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    return true;
}

bool FlushToDisk(const std::string &path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = FlushFileBuffers(h) != 0;
    CloseHandle(h);
    return ok;
}

// The new file takes the old one's place in one rename. While another
// program has the old file open (a reader, a virus scanner), the system
// refuses to replace it; such opens are short, so the rename is tried again
// for a while before the save counts as failed.
bool ReplaceWithRetries(const std::string &next, const std::string &path)
{
    const DWORD kGiveUpMs = 3000, kPauseMs = 25;
    const DWORD start = GetTickCount();
    for (;;) {
        if (MoveFileExA(next.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            GetTickCount() - start >= kGiveUpMs) {
            SetLastError(error);
            return false;
        }
        Sleep(kPauseMs);
    }
}

}  // namespace

SettingsLoad LoadSettingsFile(const std::string &path, Settings *settings)
{
    SettingsLoad result;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            result.kind = SettingsLoad::kNoFile;
            return result;
        }
    }
    if (SettingsFromProfile(ProfileFile(path), settings, &result.problem)) {
        result.kind = SettingsLoad::kLoaded;
        return result;
    }
    // Kept aside under a free name, so that nothing of the user's is lost
    // and the next save does not overwrite it.
    result.kind = SettingsLoad::kUnreadable;
    for (int attempt = 1; attempt < 100; ++attempt) {
        const std::string aside = AsideName(path, attempt);
        if (MoveFileA(path.c_str(), aside.c_str())) {
            result.asidePath = aside;
            break;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
    }
    return result;
}

bool SaveSettingsFile(const std::string &path, const Settings &settings, std::string *error)
{
    const size_t slash = path.rfind('\\');
    if (slash != std::string::npos)
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    const std::string next = path + ".new";
    DeleteFileA(next.c_str());

    Settings check;
    std::string problem;
    if (!WriteProfile(next, settings)) {
        *error = SystemMessage(GetLastError());
    } else if (!SettingsFromProfile(ProfileFile(next), &check, &problem) || !(check == settings)) {
        *error = "the new file did not read back complete (" + problem + ")";
    } else if (!FlushToDisk(next)) {
        *error = SystemMessage(GetLastError());
    } else if (!ReplaceWithRetries(next, path)) {
        *error = SystemMessage(GetLastError());
    } else {
        return true;
    }
    DeleteFileA(next.c_str());
    return false;
}

}  // namespace tolvar
