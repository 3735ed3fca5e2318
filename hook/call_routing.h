/*
 * call_routing.h - which of the two hook libraries reports a key event.
 *
 * A 32-bit host installs TolvarEx.dll; on 64-bit Windows its companion
 * installs TolvarEx64.dll as well. The system runs each hook in context, in
 * the process that receives the key, when that process has the hook's
 * bitness; for a process of the other bitness (and for processes it cannot
 * enter at all, such as packaged apps) it calls the hook out of context, on
 * the thread that installed it. With both hooks installed, every key of a
 * 64-bit program would then be seen twice: in context by the 64-bit hook and
 * out of context by the 32-bit one. The rule below gives each event to one
 * hook. Platform-free, so that it is tested natively.
 */
#ifndef TOLVAR_HOOK_CALL_ROUTING_H
#define TOLVAR_HOOK_CALL_ROUTING_H

#include "hook/hook_registry.h"

namespace tolvar {

struct HookCall {
    // Called on the thread that installed this hook: out of context, for a
    // process that this library is not loaded into.
    bool outOfContext;
    // The hook of the other bitness is installed (and its installer runs).
    bool otherHookInstalled;
    // The bitness of the process the key goes to (the foreground window's),
    // when it could be told; asked only for an out-of-context call while the
    // other hook is installed.
    bool targetKnown;
    HookBitness target;
};

// True when the hook of bitness self reports the event; otherwise it hands
// the event on at once. In context: always (the process has this hook's
// bitness). Out of context with no other hook: always, as a lone hook must.
// Out of context beside the other hook: only for a process of this hook's
// own bitness, which the other hook never sees; an unknown target counts as
// 64-bit, the bitness of nearly every program on 64-bit Windows.
bool ShouldReport(HookBitness self, const HookCall &call);

}  // namespace tolvar

#endif  // TOLVAR_HOOK_CALL_ROUTING_H
