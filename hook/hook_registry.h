/*
 * hook_registry.h - which keyboard hooks of the key-event channel are
 * installed, and by whom: the hook library's own bookkeeping, shared by its
 * 32-bit build (TolvarEx.dll) and its 64-bit build (TolvarEx64.dll, which
 * the 64-bit companion TolvarHook64.exe installs).
 *
 * It lives in a named mapping of its own, beside the host's channel, so that
 * the channel's block keeps exactly the layout hosts rely on. SetHook fills
 * the slot of its build's bitness and KillHook empties it, both under the
 * channel mutex; every hooked process reads it:
 *   - to tell whether the process that installed the hook still runs (a
 *     report then waits for the host's answer or for the host's end, and a
 *     hook whose host has ended hands every event on at once);
 *   - to tell an out-of-context call (made on the installing thread, for a
 *     process of the other bitness) from an in-context one.
 *
 * Both builds read and write it through fixed-width fields; the static
 * assertions hold in both. Platform-free, so that the layout is also
 * checked natively.
 */
#ifndef TOLVAR_HOOK_HOOK_REGISTRY_H
#define TOLVAR_HOOK_HOOK_REGISTRY_H

#include <stddef.h>
#include <stdint.h>

namespace tolvar {

#define TV_HOOK_REGISTRY_NAME "tvHookRegistryName"

enum HookBitness : uint32_t {
    kHook32 = 0,  // TolvarEx.dll, installed by the host itself
    kHook64 = 1,  // TolvarEx64.dll, installed by the companion
};

// The bitness of the build being compiled.
const HookBitness kThisHookBitness = sizeof(void *) == 8 ? kHook64 : kHook32;

#pragma pack(push, 1)

// One installed hook; all zero when none of that bitness is installed.
struct HookSlot {
    uint32_t processId;     //  0: the process that called SetHook
    uint32_t threadId;      //  4: the thread that called it, which pumps for the hook
    uint64_t processStart;  //  8: that process's creation time (FILETIME), so that a
                            //     reused process id is not taken for the host
    uint32_t hookHandle;    // 16: what SetWindowsHookEx returned (32 significant bits)
    uint32_t reserved;      // 20
};

struct HookRegistry {
    uint32_t magic;      //  0: kHookRegistryMagic once initialised
    uint32_t reserved;   //  4
    HookSlot slots[2];   //  8: indexed by HookBitness
};

#pragma pack(pop)

const uint32_t kHookRegistryMagic = 0x50485654u;  // "TVHP"

static_assert(sizeof(HookSlot) == 24, "a hook slot is 24 bytes in both builds");
static_assert(offsetof(HookSlot, threadId) == 4, "threadId at 4");
static_assert(offsetof(HookSlot, processStart) == 8, "processStart at 8");
static_assert(offsetof(HookSlot, hookHandle) == 16, "hookHandle at 16");
static_assert(sizeof(HookRegistry) == 56, "the registry is 56 bytes in both builds");
static_assert(offsetof(HookRegistry, slots) == 8, "slots at 8");

}  // namespace tolvar

#endif  // TOLVAR_HOOK_HOOK_REGISTRY_H
