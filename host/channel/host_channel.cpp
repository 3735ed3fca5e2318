// Tolvar.exe's end of the key-event channel.
#include "host/channel/host_channel.h"

#include <string.h>

#include "host/app/object_security.h"

namespace tolvar {

bool HostChannel::Create(size_t capacity, const uint8_t (&mark)[3], bool *inUse, bool *notOurs)
{
    Close();
    *inUse = false;
    *notOurs = false;
    // Checked right after each object's creation, while its error stands.
    auto foreign = [notOurs](HANDLE object) {
        if (object && GetLastError() == ERROR_ALREADY_EXISTS && !MadeByThisUser(object))
            *notOurs = true;
    };
    SECURITY_ATTRIBUTES *security = NamedObjectSecurity();
    bool leftover = false;
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, security, PAGE_READWRITE, 0,
                                  TV_CHANNEL_SIZE(capacity), TV_CHANNEL_MAPPING_NAME);
    leftover = mapping_ && GetLastError() == ERROR_ALREADY_EXISTS;
    foreign(mapping_);
    if (mapping_ && !*notOurs)
        view_ = static_cast<KeyEventChannel *>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view_) {
        Close();
        return false;
    }
    if (leftover) {
        if (view_->hookHandle && memcmp(view_->hostBytes, mark, sizeof mark) != 0) {
            *inUse = true;
            Close();
            return false;
        }
        // A mapping made by another host may be smaller than ours.
        MEMORY_BASIC_INFORMATION region;
        const size_t bytes = VirtualQuery(view_, &region, sizeof region) ? region.RegionSize : 0;
        capacity_ = bytes > TV_KEY_TABLE_OFFSET ? (bytes - TV_KEY_TABLE_OFFSET) / sizeof(KeyTableEntry) : 0;
        if (capacity_ > capacity)
            capacity_ = capacity;
    } else {
        capacity_ = capacity;
    }
    mutex_ = CreateMutexA(security, FALSE, TV_CHANNEL_MUTEX_NAME);
    foreign(mutex_);
    matchEvent_ = CreateEventA(security, FALSE, FALSE, TV_MATCH_EVENT_NAME);
    foreign(matchEvent_);
    readyEvent_ = CreateEventA(security, FALSE, FALSE, TV_READY_EVENT_NAME);
    foreign(readyEvent_);
    if (!mutex_ || !matchEvent_ || !readyEvent_ || *notOurs) {
        Close();
        return false;
    }
    if (leftover) {
        // A signal nobody took is no report of ours.
        ResetEvent(matchEvent_);
        // A hook call whose host ended before answering waits for ever and
        // holds the mutex: one answer sets it free.
        if (WaitForSingleObject(mutex_, 2000) == WAIT_TIMEOUT)
            SetEvent(readyEvent_);
        else
            ReleaseMutex(mutex_);
    }
    memset(view_, 0, TV_KEY_TABLE_OFFSET);
    memcpy(view_->hostBytes, mark, sizeof mark);
    return true;
}

bool HostChannel::ReplaceTable(const std::vector<KeyTableEntry> &table, DWORD timeoutMs)
{
    if (!view_ || table.size() > capacity_)
        return false;
    // WAIT_ABANDONED: a process died holding it; the mutex is ours now.
    const DWORD wait = WaitForSingleObject(mutex_, timeoutMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        return false;
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

bool HookLibrary::Load(const std::wstring &path, DWORD *error)
{
    Unload();
    // By its full wide path: found in a folder named in any language.
    module_ = LoadLibraryW(path.c_str());
    if (!module_) {
        *error = GetLastError();
        return false;
    }
    setHook_ = reinterpret_cast<TvHookProc>(GetProcAddress(module_, TV_SET_HOOK_EXPORT));
    killHook_ = reinterpret_cast<TvHookProc>(GetProcAddress(module_, TV_KILL_HOOK_EXPORT));
    if (!setHook_ || !killHook_) {
        Unload();
        *error = ERROR_PROC_NOT_FOUND;
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
    // without it, answer, and only then act on the copy.
    const volatile KeyEventChannel *block = channel_->block();
    Report report;
    report.keyCode = block->matchedKeyCode;
    report.modifiers = block->matchedModifiers;
    report.state = block->matchedState;
    SetEvent(channel_->readyEvent());
    callback_(report, context_);
}

}  // namespace tolvar
