// The keyboard hook procedure and the two exports that install and remove it.
#include <windows.h>

#include "common/fault_guard.h"
#include "hook/channel.h"
#include "hook/key_match.h"

namespace tolvar {
namespace {

struct HookCall {
    WPARAM wParam;
    LPARAM lParam;
};

inline bool Held(int vk)
{
    return vk != 0 && (GetKeyState(vk) & 0x8000) != 0;
}

// Reads the six states of the thread receiving the event; the scan calls it
// once, at the first entry with the event's key code, so an event that no
// entry watches costs no GetKeyState at all.
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

// Runs with the channel mutex held: scan, and on a match report and wait for
// the host.
void ScanAndReport(void *context)
{
    const HookCall &call = *static_cast<const HookCall *>(context);
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
    WaitForSingleObject(c.readyEvent, INFINITE);
}

// Runs while a fault unwinds through the scan, so that a fault in one process
// cannot leave the keyboard of every other process waiting on the mutex.
void ReleaseChannelMutex(void *)
{
    ReleaseMutex(g_channel.mutex);
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0) {
        WaitForSingleObject(g_channel.mutex, INFINITE);
        HookCall call{wParam, lParam};
        RunWithUnwindAction(ScanAndReport, ReleaseChannelMutex, &call);
        ReleaseMutex(g_channel.mutex);
    }
    // Every event is handed on unchanged; the handle is the one SetHook
    // stored in the block.
    return CallNextHookEx(reinterpret_cast<HHOOK>(g_channel.view->hookHandle), code, wParam, lParam);
}

}  // namespace
}  // namespace tolvar

extern "C" void WINAPI SetHook(void)
{
    using tolvar::g_channel;
    WaitForSingleObject(g_channel.mutex, INFINITE);
    g_channel.view->hookHandle =
        SetWindowsHookExA(WH_KEYBOARD, tolvar::KeyboardHookProc, g_channel.module, 0);
    ReleaseMutex(g_channel.mutex);
}

extern "C" void WINAPI KillHook(void)
{
    using tolvar::g_channel;
    WaitForSingleObject(g_channel.mutex, INFINITE);
    if (g_channel.view->hookHandle)
        UnhookWindowsHookEx(g_channel.view->hookHandle);
    g_channel.view->hookHandle = nullptr;
    ReleaseMutex(g_channel.mutex);
}
