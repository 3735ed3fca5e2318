// The keyboard hook procedure and the two exports that install and remove it.
//
// For each event the procedure first looks, without the channel mutex,
// whether any entry has the event's key code; most keys have none and are
// handed on at once, so that a host that is slow or stopped holds up only
// the program that pressed a watched key. For a watched key it takes the
// mutex, scans again under it and reports the first match, as the channel
// requires; every wait also ends when the host ends, so that a host that
// died never hangs a program that types.
#include <windows.h>

#include "common/fault_guard.h"
#include "hook/channel.h"
#include "hook/installed_hooks.h"
#include "hook/key_match.h"
#include "hook/thread_hooks.h"

namespace tolvar {
namespace {

struct ReportCall {
    WPARAM wParam;
    LPARAM lParam;
    const HostWatch *hosts;
};

inline bool Held(int vk)
{
    return vk != 0 && (GetKeyState(vk) & 0x8000) != 0;
}

// Reads the six states of the thread receiving the event; the scan calls it
// once, at the first entry with the event's key code.
ModifierStates ReadHeldModifiers(void *)
{
    const ModifierKeySet keys = ModifierKeysFor(g_channel.isNtPlatform);
    ModifierStates s;
    s.ctrlHeld = Held(keys.ctrl);
    s.altHeld = Held(keys.alt);
    s.shiftHeld = Held(keys.shift);
    s.rightCtrlHeld = Held(keys.rightCtrl);
    s.rightAltHeld = Held(keys.rightAlt);
    s.rightShiftHeld = Held(keys.rightShift);
    return s;
}

// Waits for object, or for the end of one of the hosts; true when object
// was signalled (a mutex abandoned by a process that died holding it is
// ours as well). The wait reports the first of the objects that are set:
// hostsFirst puts the hosts first, so that a host already gone is seen
// before a free mutex; the ready event goes first, so that an answer that
// came is always taken (a ready signal left set would answer the next
// report before its host has read it).
bool WaitUnlessHostEnds(HANDLE object, const HostWatch &hosts, bool hostsFirst)
{
    HANDLE waits[3];
    const DWORD at = hostsFirst ? hosts.count : 0;
    waits[at] = object;
    for (DWORD i = 0; i < hosts.count; ++i)
        waits[hostsFirst ? i : 1 + i] = hosts.handles[i];
    const DWORD result = WaitForMultipleObjects(1 + hosts.count, waits, FALSE, INFINITE);
    return result == WAIT_OBJECT_0 + at || result == WAIT_ABANDONED_0 + at;
}

// Runs with the channel mutex held: scan, and on a match report and wait for
// the host's answer.
void ScanAndReport(void *context)
{
    const ReportCall &call = *static_cast<const ReportCall *>(context);
    const ChannelState &c = g_channel;
    const KeyEvent event = MakeKeyEvent(static_cast<int32_t>(call.wParam),
                                        static_cast<uint32_t>(call.lParam));

    volatile KeyEventChannel *block = c.view;
    const int32_t index = FindMatchingEntry(ChannelTable(c.view), block->entryCount,
                                            c.entryCapacity, event, ReadHeldModifiers, nullptr,
                                            c.isNtPlatform);
    if (index < 0)
        return;

    const KeyTableEntry &entry = ChannelTable(c.view)[index];
    const bool toggled = IsLockKey(event.vk) && (GetKeyState(event.vk) & 1) != 0;
    // The host reads these three fields as soon as the match event is set;
    // volatile keeps the stores in this order and before SetEvent.
    block->matchedKeyCode = entry.keyCode;
    block->matchedModifiers = entry.modifiers;
    block->matchedState = ReportedState(event, toggled);
    SetEvent(c.matchEvent);
    WaitUnlessHostEnds(c.readyEvent, *call.hosts, false);
}

// Runs while a fault unwinds through the scan, so that a fault in one process
// cannot leave the keyboard of every other process waiting on the mutex.
void ReleaseChannelMutex(void *)
{
    ReleaseMutex(g_channel.mutex);
}

// An event whose key code some entry has: report it if it matches, unless
// the other build's hook reports it or nobody is there to answer.
void ReportIfMatching(WPARAM wParam, LPARAM lParam)
{
    if (!ShouldReport(kThisHookBitness, DescribeThisCall()))
        return;
    HostWatch hosts = WatchHosts();
    if (hosts.state == HostWatch::kNoHook || hosts.state == HostWatch::kEnded)
        return;
    if (WaitUnlessHostEnds(g_channel.mutex, hosts, true)) {
        ReportCall call{wParam, lParam, &hosts};
        RunWithUnwindAction(ScanAndReport, ReleaseChannelMutex, &call);
        ReleaseMutex(g_channel.mutex);
    }
    Release(&hosts);
}

// The event this thread is handing on, while it does. A hook chain can hold
// this procedure more than once: Wine keeps the hook of a host that ended
// without removing it (killed, say) beside the hook of the host that runs
// now. The first call in the chain reports; the calls it leads to through
// CallNextHookEx find their event here and only hand it on.
DWORD g_eventSlots[2] = {TLS_OUT_OF_INDEXES, TLS_OUT_OF_INDEXES};  // lParam, wParam

// wParam + 1: the slots hold 0 while no event is handed on.
bool HandingOn(WPARAM wParam, LPARAM lParam)
{
    return g_eventSlots[1] != TLS_OUT_OF_INDEXES &&
           TlsGetValue(g_eventSlots[1]) == reinterpret_cast<void *>(wParam + 1) &&
           TlsGetValue(g_eventSlots[0]) == reinterpret_cast<void *>(lParam);
}

void SetHandingOn(WPARAM wParam, LPARAM lParam, bool on)
{
    if (g_eventSlots[1] == TLS_OUT_OF_INDEXES)
        return;
    TlsSetValue(g_eventSlots[0], reinterpret_cast<void *>(on ? lParam : 0));
    TlsSetValue(g_eventSlots[1], reinterpret_cast<void *>(on ? wParam + 1 : 0));
}

struct NextHookCall {
    HHOOK next;
    int code;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

void CallNextHook(void *context)
{
    NextHookCall &call = *static_cast<NextHookCall *>(context);
    call.result = CallNextHookEx(call.next, call.code, call.wParam, call.lParam);
}

// A fault in a later hook that unwinds through this one must not leave its
// event marked: that key would never be reported on this thread again.
void ForgetHandingOn(void *)
{
    SetHandingOn(0, 0, false);
}

}  // namespace

void InitHookProcedure()
{
    g_eventSlots[0] = TlsAlloc();
    g_eventSlots[1] = g_eventSlots[0] == TLS_OUT_OF_INDEXES ? TLS_OUT_OF_INDEXES : TlsAlloc();
}

void CloseHookProcedure()
{
    for (DWORD &slot : g_eventSlots) {
        if (slot != TLS_OUT_OF_INDEXES)
            TlsFree(slot);
        slot = TLS_OUT_OF_INDEXES;
    }
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const ChannelState &c = g_channel;
    // Every event is handed on unchanged. The 32-bit library passes the
    // handle SetHook stored in the block; the 64-bit one its own.
    const HHOOK next = kThisHookBitness == kHook32 ? BlockHookHandle(c.view) : RegisteredHookHandle();
    if (code < 0 || HandingOn(wParam, lParam))
        return CallNextHookEx(next, code, wParam, lParam);
    if (HasEntryForKey(ChannelTable(c.view), c.view->entryCount, c.entryCapacity,
                       static_cast<int32_t>(wParam)))
        ReportIfMatching(wParam, lParam);
    SetHandingOn(wParam, lParam, true);
    NextHookCall call{next, code, wParam, lParam, 0};
    RunWithUnwindAction(CallNextHook, ForgetHandingOn, &call);
    SetHandingOn(wParam, lParam, false);
    return call.result;
}

}  // namespace tolvar

// SetHook and KillHook run in the installing process under the channel
// mutex. The 32-bit library keeps the contract's hookHandle in the block;
// the 64-bit library, which only the companion loads, leaves the block to it
// and keeps its handle in the registry.
extern "C" void WINAPI SetHook(void)
{
    using namespace tolvar;
    WaitForSingleObject(g_channel.mutex, INFINITE);
    // Registered before the hook exists, so that no call finds it unknown.
    const bool registered = CreateHookRegistry();
    if (registered)
        RegisterThisHook();
    HHOOK hook = kThisHookBitness == kHook64 && ThreadHooksNeeded()
                     ? InstallThreadHookStarter()
                     : SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, g_channel.module, 0);
    if (kThisHookBitness == kHook32)
        SetBlockHookHandle(g_channel.view, hook);
    if (registered) {
        if (hook)
            SetRegisteredHookHandle(hook);
        else
            UnregisterThisHook();
    }
    ReleaseMutex(g_channel.mutex);
}

extern "C" void WINAPI KillHook(void)
{
    using namespace tolvar;
    WaitForSingleObject(g_channel.mutex, INFINITE);
    if (kThisHookBitness == kHook32) {
        if (HHOOK hook = BlockHookHandle(g_channel.view))
            UnhookWindowsHookEx(hook);
        SetBlockHookHandle(g_channel.view, nullptr);
    } else if (HHOOK hook = RegisteredHookHandle()) {
        UnhookWindowsHookEx(hook);
    }
    UnregisterThisHook();
    ReleaseMutex(g_channel.mutex);
}
