// fake_notification_area.h - a stand-in for the shell's notification area,
// so that a test sees exactly which icons a program adds and changes, can
// refuse them as a shell without a notification area does, answer a call
// with a failure that it still applies as a slow shell does, and can
// restart "the shell" and announce the new taskbar ("TaskbarCreated").
//
// Like the shell, it holds the icons it took: an addition of an icon it
// holds is refused, and so is a modification or deletion of one it lacks.
//
// Programs reach the notification area through Shell_NotifyIcon, which
// sends WM_COPYDATA to the topmost window of class "Shell_TrayWnd": this
// one, on a thread of the test process. Wine passes the operation in
// dwData and the owner window and icon id first in the data; Windows passes
// them inside its own record. The tooltip is found by its text.
#ifndef TOLVAR_TESTS_SUPPORT_FAKE_NOTIFICATION_AREA_H
#define TOLVAR_TESTS_SUPPORT_FAKE_NOTIFICATION_AREA_H

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tolvar_test {

class FakeNotificationArea {
public:
    struct Call {
        DWORD operation;  // NIM_ADD, NIM_MODIFY, NIM_DELETE, ...
        HWND owner;
        UINT id;
        std::string data;
        bool accepted;  // applied
        bool answered;  // what the program was told
    };

    ~FakeNotificationArea();
    bool Open();
    void Close();
    // Whether Shell_NotifyIcon calls succeed (a shell with an area) or fail.
    void SetAccepting(bool accepting);
    // The next call that is applied is answered with a failure, as a shell
    // that did not reply in time.
    void FailNextAnswer();
    // The window shows as a taskbar over this part of the screen.
    bool ShowAsTaskbar(const RECT &area);
    // A new shell: this area goes, a new one comes, and every top-level
    // window hears "TaskbarCreated".
    bool Restart();

    std::vector<Call> Calls();
    void ClearCalls();
    // Calls of this operation from owner whose tooltip is tip, accepted or
    // refused.
    int Count(DWORD operation, HWND owner, const std::string &tip, bool accepted = true);
    // The id of the icon of owner that the area holds with this tooltip,
    // or 0.
    UINT IdOf(HWND owner, const std::string &tip);
    // What the area holds of that icon (its latest call's data), or "".
    std::string HeldData(HWND owner, const std::string &tip);
    // The calls so far, one line each, for a failure message.
    std::string Describe();

private:
    static DWORD WINAPI ThreadMain(void *self);
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    HWND window_ = nullptr;
    volatile LONG accepting_ = 1;
    volatile LONG failNextAnswer_ = 0;
    CRITICAL_SECTION lock_;
    bool lockReady_ = false;
    std::vector<Call> calls_;
    std::map<std::pair<HWND, UINT>, std::string> held_;  // icon -> its latest data
};

// The colour bits of an icon as Wine's Shell_NotifyIcon puts them into the
// data it sends (the bitmap's bits, after the mask's): a held icon shows
// this image when its data contains them.
std::string IconColourBits(HICON icon);

} // namespace tolvar_test

#endif
