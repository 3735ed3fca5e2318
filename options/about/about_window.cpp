// about_window.cpp - the About box and splash window (dialog 101).
//
// Every message is handled inside RunCatchingFaults: a fault while handling
// one is swallowed and the message counts as not handled, so nothing escapes
// into user32 or the host.
#include "options/about/about_window.h"

#include <shellapi.h>

#include "common/fault_guard.h"
#include "options/frame/library.h"
#include "options/resources/resource_ids.h"

namespace tolvar {

namespace {

// Link rectangles in quarter-character (x) and eighth-character (y) units of
// the link font.
constexpr int kWebLink[4] = {126, 107, 236, 113};
constexpr int kMailLink[4] = {126, 114, 236, 120};

constexpr size_t kLinkTextSize = 128;

struct MessageCall {
    AboutWindow *self;
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    INT_PTR result;
};

POINT ScreenPoint(HWND window, LPARAM lParam)
{
    POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(window, &p);
    return p;
}

} // namespace

AboutWindow::AboutWindow() = default;

AboutWindow::~AboutWindow()
{
    if (window_ && IsWindow(window_))
        DestroyWindow(window_); // WM_DESTROY releases the window's resources
    window_ = nullptr;
}

int AboutWindow::Show(HWND parent, bool splash)
{
    splash_ = splash;
    DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_ABOUT), parent, DialogProc,
                    reinterpret_cast<LPARAM>(this));
    return 1;
}

INT_PTR CALLBACK AboutWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
    auto *self = reinterpret_cast<AboutWindow *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return 0;
    MessageCall call = {self, window, message, wParam, lParam, 0};
    if (!RunCatchingFaults(
            [](void *context) {
                auto *c = static_cast<MessageCall *>(context);
                c->result = c->self->HandleMessage(c->window, c->message, c->wParam, c->lParam);
            },
            &call))
        return 0;
    return call.result;
}

INT_PTR AboutWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        return TRUE; // default focus
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return OnLinkColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        return 0;
    case WM_LBUTTONDOWN:
        if (wParam != MK_LBUTTON)
            return 0;
        OnLeftButtonDown(wParam, lParam);
        return 1;
    case WM_TIMER:
        if (wParam == ABOUT_SPLASH_TIMER_ID && splash_)
            Close(IDOK);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            Close(LOWORD(wParam));
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return 0;
    }
}

void AboutWindow::OnInitDialog(HWND window)
{
    const HINSTANCE module = ModuleInstance();
    background_ = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(IDB_ABOUT_BACKGROUND), IMAGE_BITMAP, 0, 0, 0));
    // Loaded unshared, so that destroying it at WM_DESTROY is correct.
    linkCursor_ = static_cast<HCURSOR>(LoadImageA(module, MAKEINTRESOURCEA(IDC_LINK_CURSOR),
                                                  IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
    arrowCursor_ = LoadCursorA(nullptr, IDC_ARROW);
    window_ = window;

    char title[256] = {0};
    if (LoadStringA(module, IDS_ABOUT_TITLE, title, sizeof title) > 0)
        SetWindowTextA(window, title);

    backgroundWidth_ = backgroundHeight_ = 0;
    BITMAP info;
    if (background_ && GetObjectA(background_, sizeof info, &info)) {
        backgroundWidth_ = info.bmWidth;
        backgroundHeight_ = info.bmHeight;
    }

    linkFont_ = CreateFontA(-MulDiv(8, 96, 72), 0, 0, 0, 400, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH, "Tahoma");
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), FALSE);
    // The link controls draw their text in the link font, so that they read
    // as links over the artwork.
    SendDlgItemMessageA(window, IDC_WEB_LINK, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_),
                        FALSE);
    SendDlgItemMessageA(window, IDC_MAIL_LINK, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_),
                        FALSE);

    if (backgroundWidth_ > 0 && backgroundHeight_ > 0)
        SetWindowPos(window, nullptr, 0, 0, backgroundWidth_, backgroundHeight_,
                     SWP_NOMOVE | SWP_NOZORDER);
    CenterWindow(window);

    int cw = 0, ch = 0;
    if (HDC dc = GetDC(window)) {
        HGDIOBJ old = linkFont_ ? SelectObject(dc, linkFont_) : nullptr;
        TEXTMETRICA metrics;
        if (GetTextMetricsA(dc, &metrics)) {
            cw = metrics.tmAveCharWidth;
            ch = metrics.tmHeight;
        }
        if (old)
            SelectObject(dc, old);
        ReleaseDC(window, dc);
    }
    PlaceLink(IDC_WEB_LINK, kWebLink[0], kWebLink[1], kWebLink[2], kWebLink[3], cw, ch, &webRect_);
    PlaceLink(IDC_MAIL_LINK, kMailLink[0], kMailLink[1], kMailLink[2], kMailLink[3], cw, ch,
              &mailRect_);

    SetTimer(window, ABOUT_SPLASH_TIMER_ID, ABOUT_SPLASH_TIMEOUT_MS, nullptr);
}

void AboutWindow::PlaceLink(int id, int left, int top, int right, int bottom, int cw, int ch,
                            RECT *screen)
{
    // The click area: the rectangle in character units, on the screen.
    RECT area = {MulDiv(left, cw, 4), MulDiv(top, ch, 8), MulDiv(right, cw, 4),
                 MulDiv(bottom, ch, 8)};
    MapWindowPoints(window_, nullptr, reinterpret_cast<POINT *>(&area), 2);
    *screen = area;

    // The control starts at the area's corner and is as large as its text in
    // the underlined link font, so that no descender and no underline is cut
    // off (the area is lower than a line of that font).
    HWND control = GetDlgItem(window_, id);
    if (!control)
        return;
    int width = MulDiv(right, cw, 4) - MulDiv(left, cw, 4);
    int height = MulDiv(bottom, ch, 8) - MulDiv(top, ch, 8);
    if (HDC dc = GetDC(control)) {
        HGDIOBJ old = linkFont_ ? SelectObject(dc, linkFont_) : nullptr;
        char text[kLinkTextSize] = {0};
        const int length = GetWindowTextA(control, text, sizeof text);
        SIZE extent;
        TEXTMETRICA metrics;
        if (GetTextExtentPoint32A(dc, text, length, &extent) && GetTextMetricsA(dc, &metrics)) {
            width = extent.cx;
            height = metrics.tmHeight;
        }
        if (old)
            SelectObject(dc, old);
        ReleaseDC(control, dc);
    }
    SetWindowPos(control, nullptr, MulDiv(left, cw, 4), MulDiv(top, ch, 8), width, height,
                 SWP_NOZORDER);
}

LRESULT AboutWindow::OnLinkColours(HDC dc, HWND control)
{
    const int id = GetDlgCtrlID(control);
    if (id != IDC_WEB_LINK && id != IDC_MAIL_LINK)
        return 0;
    // No box: the text is drawn straight onto the picture, which the window
    // has painted beneath (it does not clip its children).
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

void AboutWindow::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    if (!dc)
        return;
    if (background_) {
        if (HDC memory = CreateCompatibleDC(dc)) {
            HGDIOBJ old = SelectObject(memory, background_);
            BitBlt(dc, 0, 0, backgroundWidth_, backgroundHeight_, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteDC(memory);
        }
    }
    EndPaint(window_, &paint);
}

void AboutWindow::OnMouseMove(LPARAM lParam)
{
    const POINT p = ScreenPoint(window_, lParam);
    const bool overLink = PtInRect(&webRect_, p) || PtInRect(&mailRect_, p);
    SetCursor(overLink && linkCursor_ ? linkCursor_ : arrowCursor_);
}

void AboutWindow::OnLeftButtonDown(WPARAM, LPARAM lParam)
{
    const POINT p = ScreenPoint(window_, lParam);
    if (PtInRect(&webRect_, p))
        OpenLink(IDS_WEB_ADDRESS);
    else if (PtInRect(&mailRect_, p))
        OpenLink(IDS_MAIL_ADDRESS);
    else
        Close(IDCANCEL);
}

void AboutWindow::OpenLink(UINT stringId)
{
    char address[kLinkTextSize] = {0};
    if (LoadStringA(ModuleInstance(), stringId, address, sizeof address) <= 0)
        return;
    ShellExecuteA(window_, "open", address, nullptr, nullptr, SW_RESTORE);
}

// Ends the modal loop. EndDialog (rather than destroying the window outright)
// also re-enables the owner that the modal loop disabled.
void AboutWindow::Close(int result)
{
    if (window_)
        EndDialog(window_, result);
}

void AboutWindow::OnDestroy()
{
    KillTimer(window_, ABOUT_SPLASH_TIMER_ID);
    if (background_) {
        DeleteObject(background_);
        background_ = nullptr;
    }
    if (linkFont_) {
        // The controls must not keep a deleted font.
        SendMessageA(window_, WM_SETFONT, 0, FALSE);
        SendDlgItemMessageA(window_, IDC_WEB_LINK, WM_SETFONT, 0, FALSE);
        SendDlgItemMessageA(window_, IDC_MAIL_LINK, WM_SETFONT, 0, FALSE);
        DeleteObject(linkFont_);
        linkFont_ = nullptr;
    }
    if (linkCursor_) {
        if (GetCursor() == linkCursor_)
            SetCursor(arrowCursor_);
        DestroyCursor(linkCursor_);
        linkCursor_ = nullptr;
    }
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    window_ = nullptr;
}

} // namespace tolvar
