// fake_notification_area.h - a stand-in for the shell's notification area,
// so that a test sees exactly which icons a program adds and changes, can
// refuse them as a shell without a notification area does, and can restart
// "the shell" and announce the new taskbar ("TaskbarCreated").
//
// Programs reach the notification area through Shell_NotifyIcon, which
// sends WM_COPYDATA to the topmost window of class "Shell_TrayWnd": this
// one, on a thread of the test process. Wine passes the operation in
// dwData and the owner window and icon id first in the data; Windows passes
// them inside its own record. The tooltip is found by its text.
#ifndef TOLVAR_TESTS_SUPPORT_FAKE_NOTIFICATION_AREA_H
#define TOLVAR_TESTS_SUPPORT_FAKE_NOTIFICATION_AREA_H

#include <windows.h>

#include <string>
#include <vector>

namespace tolvar_test {

class FakeNotificationArea {
public:
    struct Call {
        DWORD operation;  // NIM_ADD, NIM_MODIFY, NIM_DELETE, ...
        HWND owner;
        UINT id;
        std::string data;
        bool accepted;
    };

    ~FakeNotificationArea();
    bool Open();
    void Close();
    // Whether Shell_NotifyIcon calls succeed (a shell with an area) or fail.
    void SetAccepting(bool accepting);
    // A new shell: this area goes, a new one comes, and every top-level
    // window hears "TaskbarCreated".
    bool Restart();

    std::vector<Call> Calls();
    void ClearCalls();
    // Calls of this operation from owner whose tooltip is tip, accepted or
    // refused.
    int Count(DWORD operation, HWND owner, const std::string &tip, bool accepted = true);
    // The calls so far, one line each, for a failure message.
    std::string Describe();

private:
    static DWORD WINAPI ThreadMain(void *self);
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    HWND window_ = nullptr;
    volatile LONG accepting_ = 1;
    CRITICAL_SECTION lock_;
    bool lockReady_ = false;
    std::vector<Call> calls_;
};

} // namespace tolvar_test

#endif
