/*
 * thread_hooks.h - the 64-bit library's keyboard hook under Wine.
 *
 * Windows calls a global hook out of context for processes of the other
 * bitness. Wine 8 instead tries to load the hook's library into every
 * process and, when it cannot (a 64-bit library in a 32-bit process), ends
 * that process's whole hook chain there. A global 64-bit keyboard hook
 * installed after the host's 32-bit one would then silence the 32-bit hook
 * in every 32-bit program. So under Wine the 64-bit library installs a
 * global CBT hook instead, and that hook, running in each 64-bit thread as
 * it creates, activates or focuses a window, installs a keyboard hook for
 * that thread alone. Wine calls a thread's own hooks before the global ones,
 * and a 32-bit thread never meets the 64-bit keyboard hook. The keyboard
 * hook procedure is the same one.
 */
#ifndef TOLVAR_HOOK_THREAD_HOOKS_H
#define TOLVAR_HOOK_THREAD_HOOKS_H

#include <windows.h>

namespace tolvar {

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
// The procedure's per-thread record of the event it hands on (DLL attach
// and detach).
void InitHookProcedure();
void CloseHookProcedure();

// True for the 64-bit library running under Wine.
bool ThreadHooksNeeded();
// Installs the global CBT hook that hooks each 64-bit thread; its handle.
HHOOK InstallThreadHookStarter();

// The per-thread flag "already hooked" (DLL attach and detach).
void InitThreadHooks();
void CloseThreadHooks();

}  // namespace tolvar

#endif  // TOLVAR_HOOK_THREAD_HOOKS_H
