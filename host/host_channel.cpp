// The host's end of the key-event channel.
#include "host/host_channel.h"

#include <string.h>

namespace tolvar {

namespace {

HANDLE CreateNew(HANDLE h)
{
    // An object that already existed belongs to another host.
    if (h && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return nullptr;
    }
    return h;
}

}  // namespace

bool HostChannel::Create(const std::vector<KeyTableEntry> &table)
{
    Close();
    // Room for the table with a little spare, so that small edits fit.
    const DWORD bytes = TV_CHANNEL_SIZE(table.size() + 16);
    mapping_ = CreateNew(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            bytes, TV_CHANNEL_MAPPING_NAME));
    if (mapping_)
        view_ = static_cast<KeyEventChannel *>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (view_) {
        capacity_ = (bytes - TV_KEY_TABLE_OFFSET) / sizeof(KeyTableEntry);
        mutex_ = CreateNew(CreateMutexA(nullptr, FALSE, TV_CHANNEL_MUTEX_NAME));
    }
    if (mutex_)
        matchEvent_ = CreateNew(CreateEventA(nullptr, FALSE, FALSE, TV_MATCH_EVENT_NAME));
    if (matchEvent_)
        readyEvent_ = CreateNew(CreateEventA(nullptr, FALSE, FALSE, TV_READY_EVENT_NAME));
    if (!readyEvent_) {
        Close();
        return false;
    }
    memset(view_, 0, TV_KEY_TABLE_OFFSET);
    return ReplaceTable(table);
}

bool HostChannel::ReplaceTable(const std::vector<KeyTableEntry> &table)
{
    if (!view_ || table.size() > capacity_)
        return false;
    WaitForSingleObject(mutex_, INFINITE);
    KeyTableEntry *entries = reinterpret_cast<KeyTableEntry *>(
        reinterpret_cast<unsigned char *>(view_) + TV_KEY_TABLE_OFFSET);
    if (!table.empty())
        memcpy(entries, table.data(), table.size() * sizeof(KeyTableEntry));
    view_->entryCount = static_cast<int32_t>(table.size());
    ReleaseMutex(mutex_);
    return true;
}

void HostChannel::Close()
{
    if (view_) {
        UnmapViewOfFile(view_);
        view_ = nullptr;
    }
    HANDLE *handles[] = {&mapping_, &mutex_, &matchEvent_, &readyEvent_};
    for (HANDLE *h : handles) {
        if (*h) {
            CloseHandle(*h);
            *h = nullptr;
        }
    }
    capacity_ = 0;
}

bool HookLibrary::Load()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    char *slash = strrchr(path, '\\');
    const char name[] = "TolvarEx.dll";
    if (!slash || static_cast<size_t>(slash + 1 - path) + sizeof name > MAX_PATH)
        return false;
    memcpy(slash + 1, name, sizeof name);
    module_ = LoadLibraryA(path);
    if (!module_)
        return false;
    setHook_ = reinterpret_cast<TvHookProc>(GetProcAddress(module_, TV_SET_HOOK_EXPORT));
    killHook_ = reinterpret_cast<TvHookProc>(GetProcAddress(module_, TV_KILL_HOOK_EXPORT));
    if (!setHook_ || !killHook_) {
        Unload();
        SetLastError(ERROR_PROC_NOT_FOUND);
        return false;
    }
    return true;
}

void HookLibrary::Unload()
{
    if (module_)
        FreeLibrary(module_);
    module_ = nullptr;
    setHook_ = killHook_ = nullptr;
}

bool ReportListener::Start(HostChannel *channel, Callback callback, void *context)
{
    Stop();
    channel_ = channel;
    callback_ = callback;
    context_ = context;
    stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!stopEvent_)
        return false;
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (!thread_) {
        CloseHandle(stopEvent_);
        stopEvent_ = nullptr;
        return false;
    }
    return true;
}

void ReportListener::Stop()
{
    if (thread_) {
        SetEvent(stopEvent_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (stopEvent_) {
        CloseHandle(stopEvent_);
        stopEvent_ = nullptr;
    }
}

DWORD WINAPI ReportListener::ThreadMain(void *param)
{
    ReportListener *self = static_cast<ReportListener *>(param);
    HANDLE waits[2] = {self->stopEvent_, self->channel_->matchEvent()};
    for (;;) {
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            // A hook call that entered just before KillHook may still report;
            // answer such stragglers so that no thread waits forever on an
            // event nobody will set.
            while (WaitForSingleObject(waits[1], 250) == WAIT_OBJECT_0)
                self->Answer();
            return 0;
        }
        self->Answer();
    }
}

void ReportListener::Answer()
{
    // The reporting thread holds the mutex until we answer: read the fields
    // without it.
    const volatile KeyEventChannel *block = channel_->block();
    Report report;
    report.keyCode = block->matchedKeyCode;
    report.modifiers = block->matchedModifiers;
    report.state = block->matchedState;
    callback_(report, context_);
    SetEvent(channel_->readyEvent());
}

}  // namespace tolvar
