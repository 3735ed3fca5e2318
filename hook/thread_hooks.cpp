// The 64-bit library's per-thread keyboard hooks under Wine.
#include "hook/thread_hooks.h"

#include "hook/channel.h"
#include "hook/hook_registry.h"

namespace tolvar {

namespace {

DWORD g_hookedSlot = TLS_OUT_OF_INDEXES;

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Installs this thread's keyboard hook once; the thread keeps it for its
// life, and the procedure hands every event on once no 64-bit hook is
// registered any more.
void HookThisThread()
{
    if (g_hookedSlot == TLS_OUT_OF_INDEXES || TlsGetValue(g_hookedSlot))
        return;
    // A thread's hook outlives the hook that installed it: the library
    // must stay loaded for as long as the process runs.
    HMODULE pinned = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                            reinterpret_cast<const char *>(&KeyboardHookProc), &pinned))
        return;
    if (SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, g_channel.module, GetCurrentThreadId()))
        TlsSetValue(g_hookedSlot, reinterpret_cast<void *>(1));
}

LRESULT CALLBACK ThreadHookStarter(int code, WPARAM wParam, LPARAM lParam)
{
    // Every thread that can receive keys creates, activates or focuses a
    // window before it does.
    if (code == HCBT_CREATEWND || code == HCBT_ACTIVATE || code == HCBT_SETFOCUS)
        HookThisThread();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool ThreadHooksNeeded()
{
    return kThisHookBitness == kHook64 && RunningUnderWine();
}

HHOOK InstallThreadHookStarter()
{
    return SetWindowsHookExA(WH_CBT, ThreadHookStarter, g_channel.module, 0);
}

void InitThreadHooks()
{
    if (ThreadHooksNeeded())
        g_hookedSlot = TlsAlloc();
}

void CloseThreadHooks()
{
    if (g_hookedSlot != TLS_OUT_OF_INDEXES)
        TlsFree(g_hookedSlot);
    g_hookedSlot = TLS_OUT_OF_INDEXES;
}

}  // namespace tolvar
