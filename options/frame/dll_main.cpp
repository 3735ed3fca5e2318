// dll_main.cpp - Tolvar.dll's entry point. Attach only remembers the module
// handle; the dialog objects are made on first use and destroyed when the
// library is unloaded. At process exit they are left alone: the process's
// memory and window objects go with it, and calling into user32 from the
// entry point while the process is ending can hang.
#include <windows.h>

#include "options/frame/dialog_objects.h"
#include "options/frame/library.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        tolvar::RememberModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
        break;
    case DLL_PROCESS_DETACH:
        if (!reserved) // FreeLibrary, not process exit
            tolvar::DestroyDialogObjects();
        break;
    default:
        break;
    }
    return TRUE;
}
