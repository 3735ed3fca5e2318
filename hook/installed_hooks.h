/*
 * installed_hooks.h - this process's access to the hook registry
 * (hook_registry.h): which hooks are installed, whether their installers
 * still run, and whether a call is out of context.
 *
 * Everything here runs inside the hook procedure only for an event whose key
 * code some entry watches; an event no entry watches never gets this far.
 */
#ifndef TOLVAR_HOOK_INSTALLED_HOOKS_H
#define TOLVAR_HOOK_INSTALLED_HOOKS_H

#include <windows.h>

#include "hook/call_routing.h"
#include "hook/hook_registry.h"

namespace tolvar {

// Opens the registry if a SetHook has made it (at attach: a process the hook
// enters always finds it; the host's own process loads the library first).
void OpenHookRegistry();
// Creates it if needed (SetHook).
bool CreateHookRegistry();
void CloseHookRegistry();

// Under the channel mutex, in SetHook and KillHook: this process and thread
// as the installer of this build's hook, and the hook's handle once known.
void RegisterThisHook();
void SetRegisteredHookHandle(HHOOK hook);
void UnregisterThisHook();
// The handle SetHook of this build stored, for CallNextHookEx (0 if none).
HHOOK RegisteredHookHandle();

// The processes whose end means that no answer to a report will come: the
// installer of this build's hook and, for the 64-bit build, the host that
// installed the 32-bit one (which answers every report).
struct HostWatch {
    enum State {
        kNoHook,   // the registry says no hook of this build is installed
        kEnded,    // an installer is known to have ended: nobody will answer
        kRunning,  // handles[0 .. count) end with their processes (perhaps
                   // already: the waits tell)
        kUnknown,  // no registry or no right to watch: wait as the channel says
    } state;
    HANDLE handles[2];
    DWORD count;
    bool transient[2];  // opened for this call only: Release closes them
};
HostWatch WatchHosts();
void Release(HostWatch *watch);

// How the system calls the hook for the current event (call_routing.h).
HookCall DescribeThisCall();

}  // namespace tolvar

#endif  // TOLVAR_HOOK_INSTALLED_HOOKS_H
