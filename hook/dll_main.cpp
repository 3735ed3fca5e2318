// Entry point of TolvarEx.dll: opens the channel in every process the library
// is mapped into and refuses the attach when the channel is not there.
#include <windows.h>

#include "hook/channel.h"
#include "hook/installed_hooks.h"
#include "hook/thread_hooks.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(instance);
        tolvar::g_channel.module = instance;
        if (!tolvar::OpenChannel()) {
            tolvar::CloseChannel();
            return FALSE;
        }
        // The hook registry is optional: without it the library works as
        // the channel alone says.
        tolvar::OpenHookRegistry();
        tolvar::InitHookProcedure();
        tolvar::InitThreadHooks();
        return TRUE;
    case DLL_PROCESS_DETACH:
        tolvar::CloseThreadHooks();
        tolvar::CloseHookProcedure();
        tolvar::CloseHookRegistry();
        tolvar::CloseChannel();
        return TRUE;
    default:
        return TRUE;
    }
}
