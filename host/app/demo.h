/*
 * demo.h - --demo: the program presses the lock keys itself. It taps each
 * lock key once (each indicates its new state), holds that for a few
 * seconds so the tray and the display can be seen, taps each again (back to
 * where they were) and ends the program once every expected indication has
 * happened: exit code 0, or 1 when they did not all arrive in time.
 *
 * The key events are real input (SendInput) into a small window of its
 * own, which it keeps in the foreground.
 */
#ifndef TOLVAR_HOST_DEMO_H
#define TOLVAR_HOST_DEMO_H

#include <windows.h>

namespace tolvar {

class Demo {
public:
    ~Demo();
    // expectedPerRound: indications one round of taps should produce.
    bool Start(HINSTANCE instance, int expectedPerRound);
    void Indicated();
    bool running() const { return window_ != nullptr; }
    int result() const { return result_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void Tick();
    void Finish(int result);

    enum Phase { kFirstTaps, kFirstWait, kHold, kSecondTaps, kSecondWait, kFinalHold };
    HWND window_ = nullptr;
    Phase phase_ = kFirstTaps;
    int step_ = 0;
    int expected_ = 0;
    int indications_ = 0;
    DWORD phaseStart_ = 0;
    int result_ = 1;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_DEMO_H
