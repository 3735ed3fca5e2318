// Changes the hook could not see: the lock keys' states read again, the
// icons and the indicators that stay put right quietly, the displays moved
// to where the screen now is (and hidden while a full-screen program is in
// front).
#include "host/app/indicator.h"

#include "common/virtual_keys.h"

namespace tolvar {

void Indicator::OnOutsideChange(unsigned changes)
{
    if (!running_)
        return;
    if (changes & StateResync::kLockStates)
        ResyncLockStates();
    if (changes & StateResync::kScreen)
        displays_.Refresh();
}

void Indicator::KeepKeyStateInStep(int32_t keyCode, int32_t reported)
{
    // A thread's key state follows the system's only for the keys that
    // changed since the thread last read them, and on Wine a thread's key
    // state starts empty: a lock key that was on when this thread began,
    // and that this thread never saw off, would read as off for ever. So
    // after each report this thread's state of the key is what the hook
    // saw, and the resync afterwards reads the key right.
    // Keys typed into this thread's own windows (the options, the demo)
    // keep its state by themselves: setting it there fights the input the
    // thread is handling, and under Wine stops further key events.
    if (GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == GetCurrentThreadId())
        return;
    if ((GetKeyState(keyCode) & 1) == reported)
        return;
    BYTE keys[256];
    if (!GetKeyboardState(keys))
        return;
    keys[keyCode & 0xFF] = static_cast<BYTE>((keys[keyCode & 0xFF] & ~1) | (reported ? 1 : 0));
    SetKeyboardState(keys);
}

void Indicator::ResyncLockStates()
{
    // This thread never handles keyboard input of its own, so outside a
    // key message its key state is the system's. A correction is not a key
    // press: no sound, no indication display, no log line; the tray and the
    // indicators that stay just show the state as it is. Only the three lock
    // keys have a state that lasts.
    bool changed = false;
    for (int32_t vk : {kVkCapital, kVkNumLock, kVkScroll}) {
        const int32_t state = GetKeyState(vk) & 1;
        int32_t &known = LockState(vk);
        if (known == state)
            continue;
        known = state;
        changed = true;
        for (size_t key = 0; key < settings_.keys.size(); ++key) {
            const KeySetting &setting = settings_.keys[key];
            if (setting.keyCode == vk && setting.active && setting.hasIcon)
                trayStale_[key] = true;
        }
    }
    // The shell may also have been too slow to answer while the session
    // was away: icons it did not take are tried again.
    if (changed || !tray_.AllShown())
        ShowPending();
}

}  // namespace tolvar
