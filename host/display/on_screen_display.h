/*
 * on_screen_display.h - one small popup of the program: the indication
 * display (a key's name, its new state and its icon, for a moment) or an
 * indicator that stays (a lock key's icon, name and state, for as long as
 * the state lasts).
 *
 * Where it goes and what it shows are decided by ScreenDisplays
 * (screen_displays.h); this window draws it in the chosen look at the DPI
 * of its monitor, fades it in and out, hides it after its time. It is
 * topmost, never takes the focus, and lets the mouse through to whatever
 * lies below it, unless it is made draggable (the Display window's sample).
 */
#ifndef TOLVAR_HOST_ON_SCREEN_DISPLAY_H
#define TOLVAR_HOST_ON_SCREEN_DISPLAY_H

#include <windows.h>

#include <functional>
#include <string>

#include "host/display/display_placement.h"

namespace tolvar {

struct DisplayLook {
    DisplaySize size = DisplaySize::kMedium;
    int opacityPercent = kDefaultOpacityPercent;
    Palette palette = Palette::kDark;
    bool fade = false;
    bool operator==(const DisplayLook &o) const
    {
        return size == o.size && opacityPercent == o.opacityPercent && palette == o.palette && fade == o.fade;
    }
};

struct DisplayContent {
    std::string title;
    std::string detail;     // "on", "off", "pressed"
    bool hasState = false;  // a state mark beside the detail: filled on, hollow off
    bool on = false;
    HICON icon = nullptr;   // not owned; drawn at the display's icon size
    // Where the icon comes from, so that it is loaded again at the size it
    // is drawn (a key's icon file, or a resource of iconModule); without
    // either, icon is stretched.
    std::string iconFile;
    HINSTANCE iconModule = nullptr;
    int iconResource = 0;
};

class DisplayWindow {
public:
    enum Kind { kIndication, kStays };

    ~DisplayWindow();
    // owner: a window of the program, so that the display gets no taskbar
    // button of its own.
    bool Create(HINSTANCE instance, HWND owner, Kind kind, const char *name);
    void SetContent(const DisplayContent &content);
    // The pixel size of the content in this look at this DPI.
    SIZE Measure(const DisplayLook &look, UINT dpi);
    // On screen at box (faded in when it was hidden and the look fades).
    void Put(const RECT &box, const DisplayLook &look, UINT dpi);
    // Hidden after ms (0: kept until Hide).
    void HideAfter(int ms);
    void Hide(bool fade);
    // Takes the mouse and follows a drag of the left button; onDrop gets
    // the box where it was let go.
    void SetDraggable(bool draggable);

    std::function<void()> onHidden;                 // its time ran out
    std::function<void(const RECT &)> onDrop;
    std::function<void()> onLookChanged;            // DPI, theme or colours changed

    HWND window() const { return window_; }
    bool visible() const { return window_ && IsWindowVisible(window_); }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc, const RECT &area);
    void MakeFonts();
    int Px(int at96) const;  // at the current size and DPI
    BYTE Alpha() const;
    // The content's icon loaded at px pixels, kept while content and size
    // stay; else the icon as given.
    HICON IconAt(int px);
    void DropSizedIcon();
    void StepFade();

    HWND window_ = nullptr;
    Kind kind_ = kIndication;
    DisplayContent content_;
    HICON sizedIcon_ = nullptr;
    int sizedIconPx_ = 0;
    DisplayLook look_;
    UINT dpi_ = 96;
    HFONT titleFont_ = nullptr;
    HFONT detailFont_ = nullptr;
    DisplayLook fontLook_;
    UINT fontDpi_ = 0;
    // Fading: the steps left, and whether it ends hidden.
    int fadeStep_ = 0;
    bool fadingOut_ = false;
    bool draggable_ = false;
    bool dragging_ = false;
    POINT grab_ = {0, 0};
};

// The system lets windows animate (client-area animations not turned off).
bool SystemAnimates();
// The palette of a theme choice on this system now.
Palette SystemPalette(ThemeChoice choice);

}  // namespace tolvar

#endif  // TOLVAR_HOST_ON_SCREEN_DISPLAY_H
