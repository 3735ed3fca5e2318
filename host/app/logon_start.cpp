// A start from the Startup folder, told by the start-up information.
#include "host/app/logon_start.h"

#include <windows.h>
#include <shlobj.h>

#include "host/app/program_paths.h"
#include "host/app/quiet_start.h"

namespace tolvar {

namespace {

// In the system's upper case, as UTF-8 for the rule.
std::string Upper(std::wstring path)
{
    if (!path.empty())
        CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    return Utf8(path);
}

}  // namespace

bool StartedFromStartupFolder()
{
    STARTUPINFOW info = {};
    info.cb = sizeof info;
    GetStartupInfoW(&info);
    if (!(info.dwFlags & STARTF_TITLEISLINKNAME) || !info.lpTitle)
        return false;
    const size_t length = wcsnlen(info.lpTitle, 32768);
    std::vector<std::string> folders;
    for (int folder : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP}) {
        wchar_t path[MAX_PATH] = L"";
        if (SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK)
            folders.push_back(Upper(path));
    }
    return IsStartupShortcut(Upper(std::wstring(info.lpTitle, length)), folders);
}

}  // namespace tolvar
