// Opening and closing this process's end of the key-event channel.
#include "hook/channel.h"

#include "hook/key_match.h"

namespace tolvar {

ChannelState g_channel;

bool QueryIsNtPlatform()
{
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the version query takes 148 bytes");
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The view's real size: the host chooses the mapping's size and may write an
// entryCount larger than it holds; reading past the view would fault in
// every process that receives a key.
static uint32_t CapacityOfView(const void *view)
{
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(view, &info, sizeof info) != sizeof info || info.State != MEM_COMMIT)
        return 0;
    // The region runs from the view's base for as long as the pages share
    // their state and protection: exactly the part we may read.
    const size_t usable = info.RegionSize -
        static_cast<size_t>(static_cast<const char *>(view) -
                            static_cast<const char *>(info.BaseAddress));
    return EntryCapacity(usable);
}

bool OpenChannel()
{
    ChannelState &c = g_channel;
    c.mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, TV_CHANNEL_MAPPING_NAME);
    if (!c.mapping)
        return false;
    c.view = static_cast<KeyEventChannel *>(MapViewOfFile(c.mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!c.view)
        return false;
    c.matchEvent = OpenEventA(EVENT_MODIFY_STATE, FALSE, TV_MATCH_EVENT_NAME);
    if (!c.matchEvent)
        return false;
    c.mutex = OpenMutexA(SYNCHRONIZE, FALSE, TV_CHANNEL_MUTEX_NAME);
    if (!c.mutex)
        return false;
    c.readyEvent = OpenEventA(SYNCHRONIZE, FALSE, TV_READY_EVENT_NAME);
    if (!c.readyEvent)
        return false;
    c.entryCapacity = CapacityOfView(c.view);
    c.isNtPlatform = QueryIsNtPlatform();
    return true;
}

void CloseChannel()
{
    ChannelState &c = g_channel;
    if (c.view) {
        UnmapViewOfFile(c.view);
        c.view = nullptr;
    }
    c.entryCapacity = 0;
    HANDLE *handles[] = {&c.mapping, &c.matchEvent, &c.mutex, &c.readyEvent};
    for (HANDLE *h : handles) {
        if (*h) {
            CloseHandle(*h);
            *h = nullptr;
        }
    }
}

}  // namespace tolvar
