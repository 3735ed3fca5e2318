// Closing the dialog boxes of the calling thread.
#include "host/app/thread_dialogs.h"

#include <windows.h>

namespace tolvar {

namespace {

BOOL CALLBACK CancelDialog(HWND window, LPARAM)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    // Every dialog box, the library's and the system's (message boxes,
    // file dialogs), is of this class and takes Cancel.
    if (lstrcmpA(name, "#32770") == 0)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL)));
    return TRUE;
}

}  // namespace

void CancelThreadDialogs()
{
    EndMenu();
    EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
}

}  // namespace tolvar
