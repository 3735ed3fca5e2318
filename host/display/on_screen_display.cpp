// The indication display and the Caps Lock display.
#include "host/display/on_screen_display.h"

#include "host/display/display_placement.h"

namespace tolvar {

namespace {

const char kClassName[] = "TolvarDisplay";
const UINT_PTR kHideTimer = 1;

const COLORREF kBackground = RGB(38, 42, 50);
const COLORREF kBorder = RGB(96, 104, 120);
const COLORREF kTitle = RGB(255, 255, 255);
const COLORREF kOn = RGB(126, 222, 134);
const COLORREF kOff = RGB(176, 180, 188);
const COLORREF kCapsBackground = RGB(236, 146, 20);
const COLORREF kCapsBorder = RGB(150, 88, 8);
const COLORREF kCapsText = RGB(40, 24, 0);

bool RegisterOnce(HINSTANCE instance, WNDPROC proc)
{
    WNDCLASSA wc = {};
    if (GetClassInfoA(instance, kClassName, &wc))
        return true;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

}  // namespace

DisplayWindow::~DisplayWindow()
{
    if (window_)
        DestroyWindow(window_);
    if (titleFont_)
        DeleteObject(titleFont_);
    if (detailFont_)
        DeleteObject(detailFont_);
}

bool DisplayWindow::Create(HINSTANCE instance, HWND owner, Kind kind)
{
    kind_ = kind;
    if (!RegisterOnce(instance, Proc))
        return false;
    window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT |
                                  WS_EX_LAYERED,
                              kClassName, kind == kCapsLock ? "Tolvar Caps Lock" : "Tolvar", WS_POPUP, 0,
                              0, 10, 10, owner, nullptr, instance, this);
    if (!window_)
        return false;
    SetLayeredWindowAttributes(window_, 0, 240, LWA_ALPHA);
    HDC screen = GetDC(nullptr);
    scale100_ = MulDiv(GetDeviceCaps(screen, LOGPIXELSY), 100, 96);
    ReleaseDC(nullptr, screen);
    MakeFonts();
    return true;
}

void DisplayWindow::MakeFonts()
{
    NONCLIENTMETRICSA metrics;
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        // Older systems know only the smaller record.
        metrics.cbSize = sizeof metrics - sizeof(int);
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    }
    LOGFONTA base = metrics.lfMessageFont;
    if (base.lfHeight == 0)
        base.lfHeight = -MulDiv(9, scale100_ * 96 / 100, 72);
    LOGFONTA title = base;
    LOGFONTA detail = base;
    if (kind_ == kIndication) {
        title.lfHeight = base.lfHeight * 3 / 2;
        title.lfWeight = FW_BOLD;
        detail.lfHeight = base.lfHeight * 5 / 4;
    } else {
        title.lfWeight = FW_BOLD;
    }
    title.lfQuality = detail.lfQuality = ANTIALIASED_QUALITY;
    titleFont_ = CreateFontIndirectA(&title);
    detailFont_ = CreateFontIndirectA(&detail);
}

void DisplayWindow::Show(const std::string &title, const std::string &detail, bool on, HICON icon,
                         int ms)
{
    if (!window_)
        return;
    title_ = title;
    detail_ = detail;
    on_ = on;
    icon_ = icon;
    const RECT place = Place(Measure());
    const int w = place.right - place.left, h = place.bottom - place.top;
    const int radius = MulDiv(kind_ == kIndication ? 14 : 8, scale100_, 100);
    SetWindowRgn(window_, CreateRoundRectRgn(0, 0, w + 1, h + 1, radius, radius), FALSE);
    SetWindowPos(window_, HWND_TOPMOST, place.left, place.top, w, h,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(window_, nullptr, FALSE);
    if (ms > 0)
        SetTimer(window_, kHideTimer, static_cast<UINT>(ms), nullptr);
    else
        KillTimer(window_, kHideTimer);
}

void DisplayWindow::Hide()
{
    if (!window_)
        return;
    KillTimer(window_, kHideTimer);
    ShowWindow(window_, SW_HIDE);
}

SIZE DisplayWindow::Measure()
{
    const int pad = MulDiv(kind_ == kIndication ? 16 : 8, scale100_, 100);
    const int gap = MulDiv(kind_ == kIndication ? 14 : 6, scale100_, 100);
    const int iconSize = GetSystemMetrics(kind_ == kIndication ? SM_CXICON : SM_CXSMICON);
    HDC dc = GetDC(window_);
    SIZE titleSize = {0, 0}, detailSize = {0, 0};
    HGDIOBJ old = SelectObject(dc, titleFont_);
    GetTextExtentPoint32A(dc, title_.c_str(), static_cast<int>(title_.size()), &titleSize);
    SelectObject(dc, detailFont_);
    if (!detail_.empty())
        GetTextExtentPoint32A(dc, detail_.c_str(), static_cast<int>(detail_.size()), &detailSize);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);

    SIZE size;
    const int textWidth = titleSize.cx > detailSize.cx ? titleSize.cx : detailSize.cx;
    const int textHeight = titleSize.cy + detailSize.cy;
    size.cx = pad * 2 + (icon_ ? iconSize + gap : 0) + textWidth;
    size.cy = pad * 2 + (textHeight > iconSize ? textHeight : iconSize);
    if (kind_ == kIndication && size.cx < MulDiv(220, scale100_, 100))
        size.cx = MulDiv(220, scale100_, 100);
    return size;
}

RECT DisplayWindow::Place(SIZE size)
{
    // The monitor of the focused window: where the user is looking.
    HWND focus = GetForegroundWindow();
    HMONITOR monitor = focus ? MonitorFromWindow(focus, MONITOR_DEFAULTTOPRIMARY)
                             : MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info;
    info.cbSize = sizeof info;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    // The work area as reported, but never beyond its monitor (Wine may
    // report one that is after a change of resolution).
    if (GetMonitorInfoA(monitor, &info) && !IntersectRect(&work, &info.rcWork, &info.rcMonitor))
        work = info.rcMonitor;
    // Some shells leave their taskbar inside the work area.
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    RECT bar = {0, 0, 0, 0};
    const bool hasBar = taskbar && IsWindowVisible(taskbar) && GetWindowRect(taskbar, &bar);
    const ScreenBox barBox = {bar.left, bar.top, bar.right, bar.bottom};
    const DisplaySpot spot = kind_ == kIndication ? DisplaySpot::kCentredLow : DisplaySpot::kCorner;
    const ScreenBox box = PlaceDisplay(spot, size.cx, size.cy, {work.left, work.top, work.right, work.bottom},
                                       hasBar ? &barBox : nullptr, MulDiv(12, scale100_, 100));
    RECT r = {box.left, box.top, box.right, box.bottom};
    return r;
}

void DisplayWindow::Replace()
{
    // After a change of resolution, work area or focused monitor, a display
    // on screen goes where it would appear now.
    if (!visible())
        return;
    const RECT place = Place(Measure());
    RECT now;
    if (GetWindowRect(window_, &now) && EqualRect(&now, &place))
        return;
    SetWindowPos(window_, HWND_TOPMOST, place.left, place.top, 0, 0,
                 SWP_NOACTIVATE | SWP_NOSIZE);
}

void DisplayWindow::Paint(HDC dc, const RECT &area)
{
    const bool caps = kind_ == kCapsLock;
    HBRUSH background = CreateSolidBrush(caps ? kCapsBackground : kBackground);
    FillRect(dc, &area, background);
    DeleteObject(background);
    const int radius = MulDiv(caps ? 8 : 14, scale100_, 100);
    HPEN pen = CreatePen(PS_SOLID, 1, caps ? kCapsBorder : kBorder);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, area.left, area.top, area.right, area.bottom, radius, radius);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    const int pad = MulDiv(caps ? 8 : 16, scale100_, 100);
    const int gap = MulDiv(caps ? 6 : 14, scale100_, 100);
    const int iconSize = GetSystemMetrics(caps ? SM_CXSMICON : SM_CXICON);
    const int height = area.bottom - area.top;
    int x = area.left + pad;
    if (icon_) {
        DrawIconEx(dc, x, area.top + (height - iconSize) / 2, icon_, iconSize, iconSize, 0, nullptr,
                   DI_NORMAL);
        x += iconSize + gap;
    }
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, titleFont_);
    SIZE titleSize = {0, 0}, detailSize = {0, 0};
    GetTextExtentPoint32A(dc, title_.c_str(), static_cast<int>(title_.size()), &titleSize);
    SelectObject(dc, detailFont_);
    if (!detail_.empty())
        GetTextExtentPoint32A(dc, detail_.c_str(), static_cast<int>(detail_.size()), &detailSize);
    int y = area.top + (height - titleSize.cy - detailSize.cy) / 2;
    SelectObject(dc, titleFont_);
    SetTextColor(dc, caps ? kCapsText : kTitle);
    TextOutA(dc, x, y, title_.c_str(), static_cast<int>(title_.size()));
    if (!detail_.empty()) {
        SelectObject(dc, detailFont_);
        SetTextColor(dc, on_ ? kOn : kOff);
        TextOutA(dc, x, y + titleSize.cy, detail_.c_str(), static_cast<int>(detail_.size()));
    }
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK DisplayWindow::Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        const CREATESTRUCTA *create = reinterpret_cast<const CREATESTRUCTA *>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    DisplayWindow *self = reinterpret_cast<DisplayWindow *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (msg) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wParam == kHideTimer && self)
            self->Hide();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT area;
        GetClientRect(window, &area);
        // Drawn off screen first, so that a repaint never flickers.
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (self)
            self->Paint(memory, area);
        BitBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(window, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(window, msg, wParam, lParam);
    }
}

}  // namespace tolvar
