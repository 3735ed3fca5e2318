// --demo: the lock keys pressed by the program itself.
#include "host/app/demo.h"

namespace tolvar {

namespace {

const char kClassName[] = "TolvarDemo";
const UINT_PTR kTimer = 1;
const UINT kTickMs = 150;
const DWORD kHoldMs = 4000;
// Generous: a Windows process under emulation is ten times slower.
const DWORD kWaitMs = 120000;

const WORD kKeys[] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};
const int kEventsPerRound = 6;  // a press and a release of each key

void SendKey(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (vk == VK_NUMLOCK ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof input);
}

}  // namespace

Demo::~Demo()
{
    if (window_)
        DestroyWindow(window_);
}

bool Demo::Start(HINSTANCE instance, int expectedPerRound)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    // Sized for the system's DPI, as the program is DPI aware.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    auto px = [dpi](int points96) { return MulDiv(points96, dpi, 96); };
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "Tolvar demo",
                              WS_CAPTION | WS_POPUP | WS_VISIBLE, px(24), px(24), px(320), px(70),
                              nullptr, nullptr, instance, this);
    if (!window_)
        return false;
    HWND text = CreateWindowExA(0, "STATIC", "Pressing Caps Lock, Num Lock and Scroll Lock...",
                                WS_CHILD | WS_VISIBLE | SS_CENTER, px(8), px(12), px(300), px(20),
                                window_, nullptr, instance, nullptr);
    SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    expected_ = expectedPerRound;
    phase_ = kFirstTaps;
    phaseStart_ = GetTickCount();
    SetForegroundWindow(window_);
    SetTimer(window_, kTimer, kTickMs, nullptr);
    return true;
}

void Demo::Indicated()
{
    if (window_)
        ++indications_;
}

void Demo::Tick()
{
    const DWORD elapsed = GetTickCount() - phaseStart_;
    switch (phase_) {
    case kFirstTaps:
    case kSecondTaps:
        if (step_ < kEventsPerRound) {
            // The events go to the thread of the foreground window: ours.
            SetForegroundWindow(window_);
            SendKey(kKeys[step_ / 2], step_ % 2 != 0);
            ++step_;
            return;
        }
        step_ = 0;
        phase_ = phase_ == kFirstTaps ? kFirstWait : kSecondWait;
        phaseStart_ = GetTickCount();
        return;
    case kFirstWait:
    case kSecondWait: {
        const int target = expected_ * (phase_ == kFirstWait ? 1 : 2);
        if (indications_ >= target) {
            phase_ = phase_ == kFirstWait ? kHold : kFinalHold;
            phaseStart_ = GetTickCount();
        } else if (elapsed > kWaitMs) {
            Finish(1);
        }
        return;
    }
    case kHold:
        if (elapsed >= kHoldMs) {
            phase_ = kSecondTaps;
            phaseStart_ = GetTickCount();
        }
        return;
    case kFinalHold:
        if (elapsed >= kHoldMs)
            Finish(0);
        return;
    }
}

void Demo::Finish(int result)
{
    result_ = result;
    KillTimer(window_, kTimer);
    PostQuitMessage(result);
}

LRESULT CALLBACK Demo::Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA *>(lParam)->lpCreateParams));
    Demo *self = reinterpret_cast<Demo *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (msg == WM_TIMER && wParam == kTimer && self) {
        self->Tick();
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

}  // namespace tolvar
