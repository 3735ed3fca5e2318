// The hidden window: reports, tray clicks, the tray menu and its commands.
#include "host/app/indicator.h"

#include <shellapi.h>

#include "hook/companion/companion_protocol.h"
#include "host/app/logon_start.h"
#include "host/app/quiet_start.h"
#include "host/settings/settings_file.h"

namespace tolvar {

namespace {

enum : UINT {
    kCmdOptions = 100,
    kCmdDisplay,
    kCmdCapsLockDisplay,
    kCmdHelp,
    kCmdAbout,
    kCmdExit,
    kCmdDisplayWindow = 120,
};

const char kGuideFile[] = "Tolvar.html";

}  // namespace

LRESULT CALLBACK Indicator::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA *>(lParam)->lpCreateParams));
    Indicator *self = reinterpret_cast<Indicator *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || !self->window_)
        return DefWindowProcA(window, msg, wParam, lParam);
    return self->OnMessage(msg, wParam, lParam);
}

LRESULT Indicator::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (TaskbarMayHaveChanged(msg, wParam, lParam))
        RestyleTray();  // and on: others may want the message too
    if (msg == taskbarCreated_ && taskbarCreated_) {
        // A new shell has a notification area without our icons.
        OnOutsideChange(StateResync::kLockStates);
        tray_.AddAll();
        return 0;
    }
    if (const unsigned changes = StateResync::Classify(msg, wParam, kMsgWindowEvent)) {
        OnOutsideChange(changes);
        return DefWindowProcA(window_, msg, wParam, lParam);
    }
    switch (msg) {
    case kMsgReport:
        OnReport(wParam, lParam);
        return 0;
    case kMsgTray:
        OnTray(static_cast<UINT>(lParam));
        return 0;
    case kMsgOpenOptions:
        OpenOptions();
        return 0;
    case kMsgOpenDisplay:
        OpenDisplayWindow();
        return 0;
    case kMsgStarted:
        OnStarted();
        return 0;
    case kMsgCompanionEnded:
        OnCompanionEnded();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        Quit();
        return 0;
    case WM_GETOBJECT:
        return screenReader_.OnGetObject(window_, wParam, lParam);
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            EndSession();
        return 0;
    default:
        return DefWindowProcA(window_, msg, wParam, lParam);
    }
}

void Indicator::OnStarted()
{
    std::vector<std::string> notices;
    notices.swap(notices_);
    for (const std::string &notice : notices)
        Warn(notice);
    if (line_.openDisplay && !line_.demo && !quitting_) {
        OpenDisplayWindow();
    } else if (ShowSplashAtStart(line_, settings_.display.splash, StartedFromStartupFolder()) &&
               options_.available() && !quitting_) {
        options_.ShowSplash(window_);
        AfterModalLoop();
    }
}

void Indicator::OnCompanionEnded()
{
    if (!running_ || quitting_)
        return;
    Warn(CompanionNotice(std::string(TV_COMPANION_EXE) + " stopped: " + companion_.EndReason()));
}

void Indicator::OnTray(UINT mouseMessage)
{
    switch (mouseMessage) {
    case WM_LBUTTONDBLCLK:
        OpenOptions();
        break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
        ShowMenu();
        break;
    default:
        break;
    }
}

void Indicator::ShowMenu()
{
    const UINT options = options_.available() ? 0 : MF_GRAYED;
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | options, kCmdOptions, "&Options...");
    AppendMenuA(menu, MF_STRING, kCmdDisplayWindow, "Dis&play...");
    AppendMenuA(menu, MF_STRING | (settings_.showDisplay ? MF_CHECKED : 0), kCmdDisplay,
                "On-Screen &Display");
    AppendMenuA(menu, MF_STRING | (settings_.display.stays[0] != Stays::kNever ? MF_CHECKED : 0), kCmdCapsLockDisplay,
                "Show While &Caps Lock Is On");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kCmdHelp, "&Help");
    AppendMenuA(menu, MF_STRING | options, kCmdAbout, "&About...");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kCmdExit, "E&xit");
    if (options_.available())
        SetMenuDefaultItem(menu, kCmdOptions, FALSE);

    // The menu closes when the user clicks elsewhere only if its owner is
    // the foreground window; the null message afterwards lets it close.
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(window_);
    const UINT command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x,
                                        at.y, 0, window_, nullptr);
    PostMessageA(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);
    AfterModalLoop();
    if (command && !quitting_)
        OnCommand(command);
}

void Indicator::OnCommand(UINT id)
{
    switch (id) {
    case kCmdOptions:
        OpenOptions();
        break;
    case kCmdDisplayWindow:
        OpenDisplayWindow();
        break;
    case kCmdDisplay:
        settings_.showDisplay = !settings_.showDisplay;
        displays_.Apply(settings_);
        SaveSettings();
        break;
    case kCmdCapsLockDisplay: {
        // The hook's table changes with it (Caps Lock followed or not).
        Settings next = settings_;
        Stays &caps = next.display.stays[0];  // Caps Lock
        caps = caps == Stays::kNever ? Stays::kWhileOn : Stays::kNever;
        ApplySettings(next);
        break;
    }
    case kCmdHelp:
        OpenGuide();
        break;
    case kCmdAbout:
        if (options_.available()) {
            options_.ShowAbout(window_);
            AfterModalLoop();
        }
        break;
    case kCmdExit:
        Quit();
        break;
    default:
        break;
    }
}

void Indicator::OpenOptions()
{
    if (quitting_)
        return;
    if (!options_.available()) {
        Warn("The options are unavailable: Tolvar cannot load Tolvar.dll (" + optionsProblem_ +
             ").\n\nThe keys are still indicated as set.");
        return;
    }
    // Returns when the dialog closes, or at once when it is already open
    // (the library then brings it to the front).
    options_.ShowOptions(window_, this, LoadForOptions, SaveFromOptions);
    AfterModalLoop();
}

void Indicator::OpenGuide()
{
    // The options library's help entry opens a help format that current
    // systems no longer read; the user guide ships beside the program.
    const std::string guide = BesideProgram(kGuideFile);
    if (GetFileAttributesA(guide.c_str()) == INVALID_FILE_ATTRIBUTES) {
        Warn("The user guide is missing: " + guide);
        return;
    }
    const HINSTANCE result = ShellExecuteA(window_, "open", guide.c_str(), nullptr,
                                           ProgramFolder().c_str(), SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        Warn("No program could open the user guide " + guide + ".");
}

void Indicator::Warn(const std::string &text)
{
    if (quitting_)
        return;
    // Over the dialog the user is in, if any.
    HWND owner = GetActiveWindow();
    MessageBoxA(owner ? owner : nullptr, text.c_str(), "Tolvar",
                MB_OK | MB_ICONWARNING | (owner ? 0 : MB_SETFOREGROUND));
    AfterModalLoop();
}

void Indicator::Quit()
{
    // An open menu would take the quit message for itself: it closes first.
    quitting_ = true;
    EndMenu();
    PostQuitMessage(0);
}

void Indicator::AfterModalLoop()
{
    // A modal loop (menu, dialog, message box) may have taken the quit
    // message that was meant for the program's own loop.
    if (quitting_)
        PostQuitMessage(0);
}

}  // namespace tolvar
