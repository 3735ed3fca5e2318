// The program's library search: the system folder only.
#include "host/app/dll_search.h"

#include <windows.h>

namespace tolvar {

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
