// about_window.h - the About box, which doubles as the start-up splash window
// (dialog resource 101).
//
// One object per process, created on first use by the library frame and
// destroyed when the library detaches; each opening reuses it. The window
// shows background bitmap 102 at its natural size with two link areas (web
// and mail). A click on a link opens it through the shell; a click elsewhere,
// Enter or Escape closes the window; as a splash it also closes itself after
// seven seconds.
#ifndef TOLVAR_ABOUT_ABOUT_WINDOW_H
#define TOLVAR_ABOUT_ABOUT_WINDOW_H

#include <windows.h>

namespace tolvar {

class AboutWindow {
public:
    AboutWindow();
    // Destroys the window first if it still exists.
    ~AboutWindow();
    AboutWindow(const AboutWindow &) = delete;
    AboutWindow &operator=(const AboutWindow &) = delete;

    // Runs dialog 101 modally over parent, loading it from the options
    // library's module (ModuleInstance()). splash: close by itself after
    // seven seconds. Always returns nonzero (success).
    int Show(HWND parent, bool splash);

    // The window while it exists, else null.
    HWND Window() const { return window_; }

    // Screen rectangles of the two links' click areas as last placed (for
    // tests); each link control starts at its area's corner, sized to its text.
    RECT WebLinkRect() const { return webRect_; }
    RECT MailLinkRect() const { return mailRect_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void OnInitDialog(HWND window);
    void OnPaint();
    void OnMouseMove(LPARAM lParam);
    void OnLeftButtonDown(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    void Close(int result);
    void PlaceLink(int id, int left, int top, int right, int bottom, int cw, int ch, RECT *screen);
    LRESULT OnLinkColours(HDC dc, HWND control);
    void OpenLink(UINT stringId);

    HWND window_ = nullptr;
    HBITMAP background_ = nullptr;
    int backgroundWidth_ = 0;
    int backgroundHeight_ = 0;
    bool splash_ = false;
    HFONT linkFont_ = nullptr;
    RECT webRect_ = {0, 0, 0, 0};
    RECT mailRect_ = {0, 0, 0, 0};
    HCURSOR linkCursor_ = nullptr;
    HCURSOR arrowCursor_ = nullptr;
};

} // namespace tolvar

#endif // TOLVAR_ABOUT_ABOUT_WINDOW_H
