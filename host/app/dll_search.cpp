// The program's library search: the system folder only.
#include "host/app/dll_search.h"

#include <windows.h>

#include <string>

namespace tolvar {

HMODULE LoadSystemLibrary(const wchar_t *name)
{
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return LoadLibraryW((std::wstring(folder) + L"\\" + name).c_str());
}

void RestrictDllSearch()
{
    // Out of the classic search order, where the call below is missing.
    SetDllDirectoryA("");
    typedef BOOL(WINAPI * SetDefaultDirectoriesProc)(DWORD);
    const DWORD kSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    SetDefaultDirectoriesProc setDefault = reinterpret_cast<SetDefaultDirectoriesProc>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                "SetDefaultDllDirectories")));
    if (setDefault)
        setDefault(kSystem32);
}

}  // namespace tolvar
