/*
 * state_resync.h - the moments at which the lock keys' states or the screen
 * may have changed where the program could not see it.
 *
 * The hook reports a lock key only from the programs it runs in. A key
 * toggled elsewhere (a program running as administrator, the lock screen,
 * the secure desktop of an elevation prompt, a remote session's
 * synchronisation, a process that refused the hook) leaves the program's
 * idea of it wrong until the key is next pressed where the hook sees it. So
 * the states are read again whenever the user may have come back from such
 * a place: the foreground window changed, the session was unlocked or
 * reconnected, the machine resumed, the display changed, the shell
 * restarted. The screen's changes (resolution, work area, the foreground
 * window's monitor) move the displays. All of it comes from system
 * notifications: no timer, no polling, nothing injected into other
 * processes.
 */
#ifndef TOLVAR_HOST_STATE_RESYNC_H
#define TOLVAR_HOST_STATE_RESYNC_H

#include <windows.h>

namespace tolvar {

class StateResync {
public:
    // What a message says may have changed.
    enum Change : unsigned {
        kNothing = 0,
        kLockStates = 1,  // read the lock keys' states again
        kScreen = 2,      // place the displays again
    };

    ~StateResync() { Stop(); }
    // Asks for the notifications; the foreground window's changes arrive
    // as message (wParam: the event) posted to window.
    void Start(HWND window, UINT message);
    // Before the window goes.
    void Stop();

    // The changes that a message of the window announces (kNothing for
    // every other message).
    static unsigned Classify(UINT msg, WPARAM wParam, UINT message);

private:
    static void CALLBACK OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                    LONG child, DWORD thread, DWORD time);
    HWND window_ = nullptr;
    HWINEVENTHOOK foreground_ = nullptr;
    HWINEVENTHOOK moved_ = nullptr;
    HMODULE sessions_ = nullptr;  // wtsapi32, while registered
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_STATE_RESYNC_H
