// timer_watch.cpp - see timer_watch.h.
#include "support/timer_watch.h"

namespace tolvar_test {

namespace {
TimerWatch *volatile g_watch = nullptr;
UINT_PTR g_timerId = 0;
volatile LONG *g_count = nullptr;
HHOOK g_hook = nullptr;
} // namespace

TimerWatch::TimerWatch(UINT_PTR timerId) : hook_(nullptr), timerId_(timerId), count_(0)
{
    if (g_watch)
        return;
    g_watch = this;
    g_timerId = timerId_;
    g_count = &count_;
    hook_ = SetWindowsHookExA(WH_GETMESSAGE, Hook, nullptr, GetCurrentThreadId());
    g_hook = hook_;
    if (!hook_)
        g_watch = nullptr;
}

TimerWatch::~TimerWatch()
{
    if (!hook_)
        return;
    UnhookWindowsHookEx(hook_);
    g_hook = nullptr;
    g_count = nullptr;
    g_watch = nullptr;
}

LONG TimerWatch::Count() const
{
    return InterlockedCompareExchange(const_cast<volatile LONG *>(&count_), 0, 0);
}

LRESULT CALLBACK TimerWatch::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG *message = reinterpret_cast<const MSG *>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message && message->message == WM_TIMER &&
        message->hwnd && message->wParam == g_timerId && g_count)
        InterlockedIncrement(g_count);
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

} // namespace tolvar_test
