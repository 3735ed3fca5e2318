// timer_watch.h - knowing that a window's timer has fired, so that a test can
// check what a timer did (or did not do) as soon as it has run, instead of
// sleeping past the moment it should have fired.
#ifndef TOLVAR_TESTS_SUPPORT_TIMER_WATCH_H
#define TOLVAR_TESTS_SUPPORT_TIMER_WATCH_H

#include <windows.h>

namespace tolvar_test {

// Counts the WM_TIMER messages with timerId for a window (not the thread's
// own timers) that the message loops of the calling thread take from the
// queue (a WH_GETMESSAGE hook), just before they dispatch them. Once the
// count has risen, anything that runs on that thread later (a timer of the
// test; a message sent from another thread, which waits until the loop asks
// for its next message) runs after the timer's own handling has finished.
// One watch at a time.
class TimerWatch {
public:
    explicit TimerWatch(UINT_PTR timerId);
    ~TimerWatch();
    TimerWatch(const TimerWatch &) = delete;
    TimerWatch &operator=(const TimerWatch &) = delete;

    bool Installed() const { return hook_ != nullptr; }
    LONG Count() const;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    UINT_PTR timerId_;
    volatile LONG count_;
};

} // namespace tolvar_test

#endif // TOLVAR_TESTS_SUPPORT_TIMER_WATCH_H
