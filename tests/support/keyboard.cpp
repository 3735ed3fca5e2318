// keyboard.cpp - real key events and a window to type into.
#include "keyboard.h"

#include "polling.h"

namespace tolvar_test {

void SendKey(WORD vk, bool up)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
    const bool extended = vk == VK_RCONTROL || vk == VK_RMENU || vk == VK_RSHIFT || vk == VK_NUMLOCK;
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &in, sizeof in);
}

void TapKey(WORD vk)
{
    SendKey(vk, false);
    SendKey(vk, true);
}

bool BringToFront(HWND window, HWND focus, DWORD ms)
{
    return WaitFor(
        [&] {
            if (GetForegroundWindow() != window)
                SetForegroundWindow(window);
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            const DWORD thread = GetWindowThreadProcessId(window, nullptr);
            return GetForegroundWindow() == window && GetGUIThreadInfo(thread, &info) &&
                   (!focus || info.hwndFocus == focus);
        },
        ms, 20);
}

namespace {

LRESULT CALLBACK TypingWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SETFOCUS) {
        SetFocus(GetDlgItem(window, 1));
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

} // namespace

TypingWindow::TypingWindow()
{
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
    // The first window of a fresh Wine session waits for the desktop process,
    // which takes minutes under emulation on a busy machine.
    WaitForSingleObject(ready_, 15 * 60 * 1000);
}

TypingWindow::~TypingWindow()
{
    if (thread_) {
        if (window_)
            PostMessageA(window_, WM_CLOSE, 0, 0);
        PostThreadMessageA(GetThreadId(thread_), WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 60000);
        CloseHandle(thread_);
    }
    if (ready_)
        CloseHandle(ready_);
}

DWORD WINAPI TypingWindow::Main(void *context)
{
    TypingWindow *self = static_cast<TypingWindow *>(context);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TypingWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "TolvarTestTypingWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "typing", WS_OVERLAPPEDWINDOW, 40, 500, 300,
                                  80, nullptr, nullptr, wc.hInstance, nullptr);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 4, 4, 280, 24,
                                window, reinterpret_cast<HMENU>(1), wc.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    self->window_ = window;
    self->edit_ = edit;
    SetEvent(self->ready_);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (IsWindow(window))
        DestroyWindow(window);
    return 0;
}

} // namespace tolvar_test
