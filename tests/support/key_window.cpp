// key_window.cpp - real key events into a window of the test process.
#include "key_window.h"

#include "keyboard.h"
#include "polling.h"

namespace tolvar_test {

namespace {

const char kClassName[] = "TolvarTestKeyWindow";
const UINT kMsgToggleState = WM_APP + 11;  // wParam: vk; returns its toggle bit
// Sent after other keys: once the window has seen it, it has seen them.
const WORD kSentinel = VK_F23;
const DWORD kWaitMs = 90000;

} // namespace

KeyWindow::~KeyWindow()
{
    Close();
}

bool KeyWindow::Open()
{
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (!thread_ || WaitForSingleObject(ready_, kWaitMs) != WAIT_OBJECT_0)
        return false;
    return window_ != nullptr;
}

void KeyWindow::Close()
{
    if (thread_) {
        if (window_)
            PostMessageA(window_, WM_CLOSE, 0, 0);
        WaitForSingleObject(thread_, kWaitMs);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (ready_)
        CloseHandle(ready_);
    ready_ = nullptr;
    window_ = nullptr;
}

DWORD WINAPI KeyWindow::ThreadMain(void *param)
{
    KeyWindow *self = static_cast<KeyWindow *>(param);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    self->window_ = CreateWindowExA(0, kClassName, "key window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                    40, 320, 120, nullptr, nullptr, wc.hInstance, self);
    SetEvent(self->ready_);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

LRESULT CALLBACK KeyWindow::Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA *>(lParam)->lpCreateParams));
    KeyWindow *self = reinterpret_cast<KeyWindow *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (msg) {
    case WM_KEYUP:
        if (wParam == kSentinel && self)
            InterlockedIncrement(&self->sentinels_);
        return 0;
    case kMsgToggleState:
        return GetKeyState(static_cast<int>(wParam)) & 1;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, msg, wParam, lParam);
    }
}

void KeyWindow::Tap(WORD vk)
{
    BringToFront(window_, nullptr, kWaitMs);
    TapKey(vk);
}

void KeyWindow::Chord(std::initializer_list<WORD> modifiers, WORD vk)
{
    BringToFront(window_, nullptr, kWaitMs);
    for (WORD m : modifiers)
        SendKey(m, false);
    TapKey(vk);
    for (auto m = modifiers.end(); m != modifiers.begin();)
        SendKey(*--m, true);
}

bool KeyWindow::Settle()
{
    Tap(kSentinel);
    const LONG target = ++sentinelsSent_;
    return WaitFor([this, target] { return sentinels_ >= target; }, kWaitMs);
}

bool KeyWindow::Toggled(WORD vk)
{
    Settle();
    return SendMessageA(window_, kMsgToggleState, vk, 0) != 0;
}

bool KeyWindow::SetToggle(WORD vk, bool on)
{
    for (int i = 0; i < 2 && Toggled(vk) != on; ++i)
        Tap(vk);
    return Toggled(vk) == on;
}

} // namespace tolvar_test
