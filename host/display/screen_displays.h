/*
 * screen_displays.h - every display of the program on screen: the
 * indication display and the indicators that stay, on the monitor (or
 * monitors) the settings choose, in the look they choose.
 *
 * The monitor is the focused window's, the mouse pointer's, the primary
 * one, or each of them (a display window per monitor, made and dropped as
 * monitors come and go). Each display is laid out at the DPI of its
 * monitor. While a full-screen program is in front (a game, a video, a
 * presentation, or the system's quiet hours) nothing shows, if the
 * settings say so; the indicators that stay come back once it has gone.
 *
 * While the Display window is open, a preview shows samples laid out as
 * its draft says, kept on screen; the sample display can then be dragged
 * to a place of its own.
 */
#ifndef TOLVAR_HOST_SCREEN_DISPLAYS_H
#define TOLVAR_HOST_SCREEN_DISPLAYS_H

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/display/on_screen_display.h"
#include "host/settings/settings.h"

namespace tolvar {

class ScreenDisplays {
public:
    ~ScreenDisplays();
    // owner: the program's window, which owns every display window.
    // placeDragged: the message sent to a preview's listener, lParam a
    // const DraggedPlace *, when its sample is dropped.
    void Init(HINSTANCE instance, HWND owner, UINT placeDragged);
    // The settings' choices; what is on screen follows them at once.
    void Apply(const Settings &settings);

    // The indication display, for the settings' time or until the next
    // one (or HideIndication).
    void ShowIndication(const DisplayContent &content);
    void HideIndication();
    // The lock keys' states (kLockKeyCodes' order; 1 on), which the
    // indicators that stay show.
    void SetLockStates(const int32_t states[kLockKeys]);
    // The screen, its monitors or the foreground window changed.
    void Refresh();
    // Everything off screen (the program ends).
    void HideAll();

    // Samples of the draft's displays until EndPreview; sample is the
    // indication display's content (the indicators show their lock keys).
    void Preview(const Settings &draft, const DisplayContent &sample, HWND listener);
    void EndPreview();
    bool previewing() const { return previewing_; }

private:
    struct Monitor {
        HMONITOR handle;
        ScreenBox rect;
        ScreenBox area;  // the work area without a taskbar in it
        UINT dpi;
    };
    struct Slot {  // the display windows of one monitor shown on
        std::unique_ptr<DisplayWindow> indication;
        std::unique_ptr<DisplayWindow> stays[kLockKeys];
    };
    const Settings &Current() const { return previewing_ ? draft_ : settings_; }
    std::vector<Monitor> Monitors() const;
    std::vector<size_t> Chosen(const std::vector<Monitor> &monitors) const;
    bool FullScreenInFront() const;
    DisplayLook Look() const;
    void Layout();
    void LayoutSlot(Slot &slot, const Monitor &monitor, const std::string &layout, const DisplayLook &look);
    DisplayWindow *Make(DisplayWindow::Kind kind, const char *name);
    void OnDrop(const RECT &box);
    HICON LockIcon(int lock, bool on, int size);

    HINSTANCE instance_ = nullptr;
    HWND owner_ = nullptr;
    UINT placeDragged_ = 0;
    Settings settings_;
    Settings draft_;
    bool previewing_ = false;
    HWND listener_ = nullptr;
    DisplayContent indication_;
    DisplayContent sample_;
    bool indicationShown_ = false;  // wanted on screen (its time not over)
    bool restartTimer_ = false;     // a new indication: its time starts now
    int32_t lockStates_[kLockKeys] = {0, 0, 0};
    std::vector<Slot> slots_;
    std::map<int, HICON> icons_;  // lock icons by resource id and size
    bool layingOut_ = false;
    bool layoutAgain_ = false;
};

// The DPI of a monitor (the system's where per-monitor DPI is unknown).
UINT MonitorDpi(HMONITOR monitor);

}  // namespace tolvar

#endif  // TOLVAR_HOST_SCREEN_DISPLAYS_H
