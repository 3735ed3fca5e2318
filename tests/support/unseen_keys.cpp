// unseen_keys.cpp - see unseen_keys.h.
#include "unseen_keys.h"

#include "tolvar/tolvar_host.h"

namespace tolvar_test {

namespace {

const DWORD kWaitMs = 90000;

// Sets the table's entry count under the channel mutex, as the program
// itself rewrites its table; the previous count.
bool SwapEntryCount(KeyEventChannel *channel, HANDLE mutex, int32_t count, int32_t *previous)
{
    const DWORD wait = WaitForSingleObject(mutex, kWaitMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        return false;
    *previous = channel->entryCount;
    channel->entryCount = count;
    ReleaseMutex(mutex);
    return true;
}

} // namespace

bool TapUnseen(KeyWindow &keys, WORD vk)
{
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, TV_CHANNEL_MAPPING_NAME);
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, TV_CHANNEL_MUTEX_NAME);
    KeyEventChannel *channel =
        mapping ? static_cast<KeyEventChannel *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0)) : nullptr;
    bool ok = false;
    int32_t saved = 0, emptied = 0;
    if (channel && mutex && SwapEntryCount(channel, mutex, 0, &saved)) {
        keys.Tap(vk);
        ok = keys.Settle();
        ok = SwapEntryCount(channel, mutex, saved, &emptied) && ok && emptied == 0;
    }
    if (channel)
        UnmapViewOfFile(channel);
    if (mutex)
        CloseHandle(mutex);
    if (mapping)
        CloseHandle(mapping);
    return ok;
}

} // namespace tolvar_test
