// keyboard.cpp - real key events.
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

DWORD WINAPI RaiseForeground(void *window)
{
    NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, static_cast<HWND>(window), OBJID_WINDOW, CHILDID_SELF);
    return 0;
}

} // namespace

bool RaiseForegroundEvent(HWND window)
{
    HANDLE thread = CreateThread(nullptr, 0, RaiseForeground, window, 0, nullptr);
    const bool done = thread && WaitForSingleObject(thread, 120000) == WAIT_OBJECT_0;
    if (thread)
        CloseHandle(thread);
    return done;
}

} // namespace tolvar_test
