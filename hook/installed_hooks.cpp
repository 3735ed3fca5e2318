// The hook registry as this process sees it.
#include "hook/installed_hooks.h"

namespace tolvar {

namespace {

#ifndef PROCESS_QUERY_LIMITED_INFORMATION
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#endif

HANDLE g_registryMapping;
volatile HookRegistry *g_registry;

// Installers' process handles, opened once per installer and kept until
// detach: a waiting report may hold one at any time, so none is closed
// while the library is loaded. New installers are rare (one per start of a
// host), so eight are plenty; beyond them a handle is opened per call.
struct KnownProcess {
    uint32_t processId;
    uint64_t processStart;
    HANDLE handle;
};
const LONG kMaxKnown = 8;
KnownProcess g_known[kMaxKnown];
LONG g_knownCount;
CRITICAL_SECTION g_knownLock;
bool g_knownLockReady;

uint64_t ProcessStart(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

HookSlot ReadSlot(HookBitness which)
{
    const volatile HookSlot &s = g_registry->slots[which];
    HookSlot copy;
    copy.processId = s.processId;
    copy.threadId = s.threadId;
    copy.processStart = s.processStart;
    copy.hookHandle = s.hookHandle;
    copy.reserved = 0;
    return copy;
}

enum Lookup { kGone, kFound, kNoRight };

// The installer's process: found (handle set, transient when it must be
// closed after this call), gone (it ended, or its id now names another
// process), or not ours to watch.
Lookup FindInstaller(const HookSlot &slot, HANDLE *handle, bool *transient)
{
    *transient = false;
    if (g_knownLockReady) {
        EnterCriticalSection(&g_knownLock);
        for (LONG i = 0; i < g_knownCount; ++i) {
            if (g_known[i].processId == slot.processId && g_known[i].processStart == slot.processStart) {
                *handle = g_known[i].handle;
                LeaveCriticalSection(&g_knownLock);
                return kFound;
            }
        }
        LeaveCriticalSection(&g_knownLock);
    }
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, slot.processId);
    if (process) {
        const uint64_t start = ProcessStart(process);
        if (start != 0 && slot.processStart != 0 && start != slot.processStart) {
            CloseHandle(process);
            return kGone;
        }
    } else {
        if (GetLastError() == ERROR_INVALID_PARAMETER)
            return kGone;  // no process has that id any more
        // Allowed to wait on it, perhaps, but not to ask when it started.
        process = OpenProcess(SYNCHRONIZE, FALSE, slot.processId);
        if (!process)
            return GetLastError() == ERROR_INVALID_PARAMETER ? kGone : kNoRight;
    }
    *handle = process;
    *transient = true;
    if (g_knownLockReady) {
        EnterCriticalSection(&g_knownLock);
        if (g_knownCount < kMaxKnown) {
            g_known[g_knownCount].processId = slot.processId;
            g_known[g_knownCount].processStart = slot.processStart;
            g_known[g_knownCount].handle = process;
            ++g_knownCount;
            *transient = false;
        }
        LeaveCriticalSection(&g_knownLock);
    }
    return kFound;
}

// Adds the installer of slot to the watch; false when it has ended.
bool Watch(const HookSlot &slot, HostWatch *watch)
{
    if (slot.processId == GetCurrentProcessId())
        return true;  // this very process: it runs
    HANDLE process = nullptr;
    bool transient = false;
    switch (FindInstaller(slot, &process, &transient)) {
    case kGone:
        return false;
    case kNoRight:
        return true;
    case kFound:
        break;
    }
    watch->handles[watch->count] = process;
    watch->transient[watch->count] = transient;
    ++watch->count;
    // An ended installer shows in the first wait, which puts the installers
    // before the mutex: no extra call to ask now.
    return true;
}

bool InstallerRuns(const HookSlot &slot)
{
    if (slot.processId == 0)
        return false;
    HostWatch watch = {};
    bool runs = Watch(slot, &watch);
    if (runs && watch.count == 1)
        runs = WaitForSingleObject(watch.handles[0], 0) != WAIT_OBJECT_0;
    Release(&watch);
    return runs;
}

// The bitness of the process that owns the foreground window.
bool ForegroundBitness(HookBitness *bitness)
{
    HWND foreground = GetForegroundWindow();
    DWORD processId = 0;
    if (!foreground || !GetWindowThreadProcessId(foreground, &processId) || !processId)
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return false;
    BOOL wow64 = FALSE;
    const BOOL known = IsWow64Process(process, &wow64);
    CloseHandle(process);
    if (!known)
        return false;
    *bitness = wow64 ? kHook32 : kHook64;
    return true;
}

bool MapRegistry()
{
    g_registry = static_cast<volatile HookRegistry *>(
        MapViewOfFile(g_registryMapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(HookRegistry)));
    if (g_registry)
        return true;
    CloseHandle(g_registryMapping);
    g_registryMapping = nullptr;
    return false;
}

}  // namespace

void OpenHookRegistry()
{
    // At attach, before any other thread of the library runs; later only
    // under the lock, since a key event may find the registry missing on
    // several threads at once.
    if (!g_knownLockReady) {
        InitializeCriticalSection(&g_knownLock);
        g_knownLockReady = true;
    }
    EnterCriticalSection(&g_knownLock);
    if (!g_registry) {
        g_registryMapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, TV_HOOK_REGISTRY_NAME);
        if (g_registryMapping)
            MapRegistry();
    }
    LeaveCriticalSection(&g_knownLock);
}

bool CreateHookRegistry()
{
    OpenHookRegistry();
    EnterCriticalSection(&g_knownLock);
    if (!g_registry) {
        g_registryMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                               sizeof(HookRegistry), TV_HOOK_REGISTRY_NAME);
        if (g_registryMapping)
            MapRegistry();
    }
    LeaveCriticalSection(&g_knownLock);
    return g_registry != nullptr;
}

void CloseHookRegistry()
{
    if (g_registry)
        UnmapViewOfFile(const_cast<HookRegistry *>(g_registry));
    g_registry = nullptr;
    if (g_registryMapping)
        CloseHandle(g_registryMapping);
    g_registryMapping = nullptr;
    if (g_knownLockReady) {
        for (LONG i = 0; i < g_knownCount; ++i)
            CloseHandle(g_known[i].handle);
        g_knownCount = 0;
        DeleteCriticalSection(&g_knownLock);
        g_knownLockReady = false;
    }
}

void RegisterThisHook()
{
    if (!g_registry)
        return;
    volatile HookSlot &s = g_registry->slots[kThisHookBitness];
    s.hookHandle = 0;
    s.processStart = ProcessStart(GetCurrentProcess());
    s.threadId = GetCurrentThreadId();
    s.processId = GetCurrentProcessId();
    g_registry->magic = kHookRegistryMagic;
}

void SetRegisteredHookHandle(HHOOK hook)
{
    if (g_registry)
        g_registry->slots[kThisHookBitness].hookHandle =
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hook));
}

void UnregisterThisHook()
{
    if (!g_registry)
        return;
    volatile HookSlot &s = g_registry->slots[kThisHookBitness];
    s.processId = 0;
    s.threadId = 0;
    s.processStart = 0;
    s.hookHandle = 0;
}

HHOOK RegisteredHookHandle()
{
    if (!g_registry)
        return nullptr;
    return reinterpret_cast<HHOOK>(static_cast<uintptr_t>(g_registry->slots[kThisHookBitness].hookHandle));
}

HostWatch WatchHosts()
{
    HostWatch watch = {};
    if (!g_registry)
        OpenHookRegistry();
    if (!g_registry || g_registry->magic != kHookRegistryMagic) {
        watch.state = HostWatch::kUnknown;
        return watch;
    }
    const HookSlot own = ReadSlot(kThisHookBitness);
    if (own.processId == 0) {
        watch.state = HostWatch::kNoHook;
        return watch;
    }
    bool running = Watch(own, &watch);
    if (running && kThisHookBitness == kHook64) {
        const HookSlot host = ReadSlot(kHook32);
        if (host.processId != 0)
            running = Watch(host, &watch);
    }
    if (!running) {
        Release(&watch);
        watch.state = HostWatch::kEnded;
        return watch;
    }
    watch.state = HostWatch::kRunning;
    return watch;
}

void Release(HostWatch *watch)
{
    for (DWORD i = 0; i < watch->count; ++i)
        if (watch->transient[i])
            CloseHandle(watch->handles[i]);
    watch->count = 0;
}

HookCall DescribeThisCall()
{
    HookCall call = {};
    if (!g_registry)
        return call;
    const HookSlot own = ReadSlot(kThisHookBitness);
    call.outOfContext = own.threadId == GetCurrentThreadId() && own.processId == GetCurrentProcessId();
    if (!call.outOfContext)
        return call;
    call.otherHookInstalled = InstallerRuns(ReadSlot(kThisHookBitness == kHook32 ? kHook64 : kHook32));
    if (call.otherHookInstalled)
        call.targetKnown = ForegroundBitness(&call.target);
    return call;
}

}  // namespace tolvar
