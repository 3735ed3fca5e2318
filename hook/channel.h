/*
 * channel.h - this process's end of the key-event channel.
 *
 * The host creates the four named objects; every process the hook library is
 * mapped into opens them at attach and closes them at detach. All of this is
 * per-process state: nothing here is shared between processes except the
 * objects themselves.
 */
#ifndef TOLVAR_HOOK_CHANNEL_H
#define TOLVAR_HOOK_CHANNEL_H

#include <windows.h>
#include <stdint.h>

#include "tolvar/tolvar_host.h"

namespace tolvar {

struct ChannelState {
    HINSTANCE module;
    HANDLE mapping;
    KeyEventChannel *view;
    HANDLE matchEvent;
    HANDLE mutex;
    HANDLE readyEvent;
    bool isNtPlatform;
    // Whole entries the view can hold: the scan never goes past it, whatever
    // entryCount says.
    uint32_t entryCapacity;
};

extern ChannelState g_channel;

// Opens the mapping, maps the whole view, opens the match event, the mutex
// and the ready event, in that order; stops at the first failure.
bool OpenChannel();
// Releases whatever OpenChannel obtained, each handle once.
void CloseChannel();

// True when GetVersionExA (with the 148-byte OSVERSIONINFOA) reports the NT
// platform.
bool QueryIsNtPlatform();

// hookHandle as the block holds it (the 32-bit library's handle) and back.
inline HHOOK BlockHookHandle(const KeyEventChannel *view)
{
    return (HHOOK)(uintptr_t)view->hookHandle;
}
inline void SetBlockHookHandle(KeyEventChannel *view, HHOOK hook)
{
    view->hookHandle = (TvHookHandle)(uintptr_t)hook;
}

inline const KeyTableEntry *ChannelTable(const KeyEventChannel *view)
{
    return reinterpret_cast<const KeyTableEntry *>(
        reinterpret_cast<const unsigned char *>(view) + TV_KEY_TABLE_OFFSET);
}

}  // namespace tolvar

#endif  // TOLVAR_HOOK_CHANNEL_H
