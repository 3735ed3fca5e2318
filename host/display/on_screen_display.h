/*
 * on_screen_display.h - the two small popups of the program.
 *
 * The indication display shows a key's name, its new state and its icon for
 * a moment, centred low on the monitor that has the focused window. The Caps
 * Lock display stays in the corner of that monitor for as long as Caps Lock
 * is on. Both follow the screen (a new resolution, work area or focused
 * monitor), are topmost, never take the focus, and let the mouse through to
 * whatever lies below them.
 */
#ifndef TOLVAR_HOST_ON_SCREEN_DISPLAY_H
#define TOLVAR_HOST_ON_SCREEN_DISPLAY_H

#include <windows.h>

#include <string>

namespace tolvar {

class DisplayWindow {
public:
    enum Kind { kIndication, kCapsLock };

    ~DisplayWindow();
    // owner: a window of the program, so that the display gets no taskbar
    // button of its own.
    bool Create(HINSTANCE instance, HWND owner, Kind kind);
    // Shows the text (and the icon, if any) and hides it after ms, or keeps
    // it until Hide() when ms is 0.
    void Show(const std::string &title, const std::string &detail, bool on, HICON icon, int ms);
    void Hide();
    // Moves a display on screen to where it would appear now.
    void Replace();
    HWND window() const { return window_; }
    bool visible() const { return window_ && IsWindowVisible(window_); }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc, const RECT &area);
    void MakeFonts();
    SIZE Measure();
    RECT Place(SIZE size);

    HWND window_ = nullptr;
    Kind kind_ = kIndication;
    std::string title_;
    std::string detail_;
    bool on_ = false;
    HICON icon_ = nullptr;
    HFONT titleFont_ = nullptr;
    HFONT detailFont_ = nullptr;
    int scale100_ = 100;  // the system's DPI as a percentage of 96
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_ON_SCREEN_DISPLAY_H
