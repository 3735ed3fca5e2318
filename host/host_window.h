/*
 * host_window.h - the reference host's window: a list of the reports
 * received, the window icon showing the last lock key's on/off state, and a
 * menu whose commands are dispatched in one place (where an "Options..."
 * command will call the options library's entry table).
 */
#ifndef TOLVAR_HOST_HOST_WINDOW_H
#define TOLVAR_HOST_HOST_WINDOW_H

#include <windows.h>

#include "host/host_channel.h"

namespace tolvar {

enum : UINT {
    kMsgReport = WM_APP + 1,  // wParam: keyCode, lParam: modifiers | state << 8
    kMsgDemoStep = WM_APP + 2,
};

enum : UINT {
    kCmdExit = 100,
};

HWND CreateHostWindow(HINSTANCE instance);
// Posts a report to the window (callable from any thread; never blocks).
void PostReport(HWND window, const Report &report);
// The line shown and printed for one report.
void AppendReportLine(HWND window, const char *text);

}  // namespace tolvar

#endif  // TOLVAR_HOST_HOST_WINDOW_H
