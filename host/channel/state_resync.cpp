// System notifications that call for reading the lock states again or
// moving the displays.
#include "host/channel/state_resync.h"

#include "host/app/dll_search.h"

#include <string>

namespace tolvar {

namespace {

// Session notifications (wtsapi32.h, not in every SDK).
const UINT kMsgSessionChange = 0x02B1;  // WM_WTSSESSION_CHANGE
const WPARAM kConsoleConnect = 0x1;     // WTS_CONSOLE_CONNECT
const WPARAM kRemoteConnect = 0x3;      // WTS_REMOTE_CONNECT
const WPARAM kSessionLogon = 0x5;       // WTS_SESSION_LOGON
const WPARAM kSessionUnlock = 0x8;      // WTS_SESSION_UNLOCK
const DWORD kNotifyForThisSession = 0;  // NOTIFY_FOR_THIS_SESSION

typedef BOOL(WINAPI *RegisterSessionNotification)(HWND, DWORD);
typedef BOOL(WINAPI *UnregisterSessionNotification)(HWND);

// The one window that hears the events: a WinEvent callback has no context.
HWND g_window = nullptr;
UINT g_message = 0;

}  // namespace

void StateResync::Start(HWND window, UINT message)
{
    Stop();
    window_ = window;
    g_window = window;
    g_message = message;
    // Out of context: the system calls back on this thread as it pumps
    // messages, and no library enters another process.
    foreground_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnWinEvent,
                                  0, 0, WINEVENT_OUTOFCONTEXT);
    moved_ = SetWinEventHook(EVENT_SYSTEM_MOVESIZEEND, EVENT_SYSTEM_MOVESIZEEND, nullptr, OnWinEvent, 0,
                             0, WINEVENT_OUTOFCONTEXT);
    // Unlock and reconnection. Loaded from the system folder by its full
    // path, never searched for beside the program.
    char system[MAX_PATH] = "";
    const UINT n = GetSystemDirectoryA(system, sizeof system);
    if (n == 0 || n >= sizeof system)
        return;
    sessions_ = LoadLibraryA((std::string(system) + "\\wtsapi32.dll").c_str());
    const RegisterSessionNotification subscribe =
        FindExport<RegisterSessionNotification>(sessions_, "WTSRegisterSessionNotification");
    if (!subscribe || !subscribe(window, kNotifyForThisSession)) {
        if (sessions_)
            FreeLibrary(sessions_);
        sessions_ = nullptr;
    }
}

void StateResync::Stop()
{
    if (foreground_)
        UnhookWinEvent(foreground_);
    if (moved_)
        UnhookWinEvent(moved_);
    foreground_ = moved_ = nullptr;
    if (sessions_) {
        const UnregisterSessionNotification unsubscribe =
            FindExport<UnregisterSessionNotification>(sessions_, "WTSUnRegisterSessionNotification");
        if (unsubscribe)
            unsubscribe(window_);
        FreeLibrary(sessions_);
        sessions_ = nullptr;
    }
    if (g_window == window_)
        g_window = nullptr;
    window_ = nullptr;
}

void CALLBACK StateResync::OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG,
                                      DWORD, DWORD)
{
    // Only whole windows; the work is done when the message comes round.
    if (g_window && window && object == OBJID_WINDOW)
        PostMessageA(g_window, g_message, event, 0);
}

unsigned StateResync::Classify(UINT msg, WPARAM wParam, UINT message)
{
    if (msg == message) {
        // The foreground window's monitor is where the displays belong.
        return wParam == EVENT_SYSTEM_FOREGROUND ? kLockStates | kScreen : kScreen;
    }
    switch (msg) {
    case kMsgSessionChange:
        return wParam == kSessionUnlock || wParam == kSessionLogon || wParam == kConsoleConnect ||
                       wParam == kRemoteConnect
                   ? kLockStates | kScreen
                   : kNothing;
    case WM_POWERBROADCAST:
        return wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND ? kLockStates | kScreen
                                                                                  : kNothing;
    case WM_DISPLAYCHANGE:
        return kLockStates | kScreen;
    case WM_SETTINGCHANGE:
        return wParam == SPI_SETWORKAREA ? kScreen : kNothing;
    default:
        return kNothing;
    }
}

}  // namespace tolvar
