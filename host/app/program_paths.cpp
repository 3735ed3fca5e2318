// Tolvar.exe's own paths, read through the wide calls.
#include "host/app/program_paths.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "common/ansi_path.h"
#include "common/ansi_path_win32.h"

namespace tolvar {

namespace {

const wchar_t kSettingsName[] = L"\\Tolvar.ini";

bool IsFolderWritable(const std::wstring &folder)
{
    const std::wstring probe =
        folder + L"\\Tolvar.write-test-" + std::to_wstring(GetCurrentProcessId());
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

std::string Convert(UINT codePage, const std::wstring &text)
{
    if (text.empty())
        return std::string();
    const int n = WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n,
                            nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring ProgramFolderW()
{
    wchar_t path[kAnsiPathMaxUnits];
    if (!ModulePathWide(nullptr, path, kAnsiPathMaxUnits))
        return L".";
    const std::wstring s = path;
    const size_t slash = s.rfind(L'\\');
    return slash == std::wstring::npos ? L"." : s.substr(0, slash);
}

std::wstring BesideProgramW(const wchar_t *name)
{
    return ProgramFolderW() + L"\\" + name;
}

std::string AnsiPath(const std::wstring &path, bool *usable)
{
    char ansi[MAX_PATH];
    const bool ok = SystemAnsiPath(path.c_str(), ansi, sizeof ansi);
    if (usable)
        *usable = ok;
    return ok ? std::string(ansi) : Convert(CP_ACP, path);
}

std::string ProgramFolder()
{
    return AnsiPath(ProgramFolderW());
}

std::string BesideProgram(const char *name)
{
    return AnsiPath(BesideProgramW(FromUtf8(name).c_str()));
}

std::string FullPath(const std::string &path)
{
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::string(full, n) : path;
}

std::wstring FullPathW(const std::wstring &path)
{
    wchar_t full[kAnsiPathMaxUnits];
    const DWORD n = GetFullPathNameW(path.c_str(), kAnsiPathMaxUnits, full, nullptr);
    return n > 0 && n < kAnsiPathMaxUnits ? std::wstring(full, n) : path;
}

std::string DefaultSettingsPath(bool *usable)
{
    const std::wstring folder = ProgramFolderW();
    bool ok = false;
    if (IsFolderWritable(folder)) {
        const std::string beside = AnsiPath(folder + kSettingsName, &ok);
        if (ok) {
            if (usable)
                *usable = true;
            return beside;
        }
    }
    wchar_t appData[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData)))
        return AnsiPath(folder + kSettingsName, usable);
    // Made now, not at the first save: only an existing folder has a short
    // name to stand in for its own.
    const std::wstring own = std::wstring(appData) + L"\\Tolvar";
    CreateDirectoryW(own.c_str(), nullptr);
    return AnsiPath(own + kSettingsName, usable);
}

std::vector<std::wstring> ProgramArguments()
{
    std::vector<std::wstring> args;
    int count = 0;
    wchar_t **list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!list)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(list[i]);
    LocalFree(list);
    return args;
}

std::string Utf8(const std::wstring &text)
{
    return Convert(CP_UTF8, text);
}

std::wstring FromUtf8(const std::string &text)
{
    if (text.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                      nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

}  // namespace tolvar
