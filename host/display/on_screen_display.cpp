// One display window: measured, drawn and faded in its look at its DPI.
#include "host/display/on_screen_display.h"

#include "host/display/dpi_awareness.h"

namespace tolvar {

namespace {

const char kClassName[] = "TolvarDisplay";
const UINT_PTR kHideTimer = 1;
const UINT_PTR kFadeTimer = 2;
const int kFadeSteps = 8;
const UINT kFadeStepMs = 16;
// SPI_GETCLIENTAREAANIMATION, which headers for older systems lack.
const UINT kGetClientAreaAnimation = 0x1042;

struct Colours {
    COLORREF background, border, title, on, off;
};

Colours ColoursOf(Palette palette)
{
    switch (palette) {
    case Palette::kLight:
        return {RGB(249, 249, 250), RGB(170, 174, 184), RGB(24, 24, 28), RGB(16, 120, 48), RGB(88, 90, 98)};
    case Palette::kHighContrast: {
        const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
        return {GetSysColor(COLOR_WINDOW), text, text, text, text};
    }
    case Palette::kDark:
    default:
        return {RGB(38, 42, 50), RGB(104, 112, 128), RGB(255, 255, 255), RGB(126, 222, 134), RGB(184, 188, 196)};
    }
}

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

// The look's metrics at 96 DPI, medium size.
struct Metrics {
    int pad, gap, icon, radius, minWidth, titleHeight, detailHeight;
};

Metrics MetricsOf(DisplayWindow::Kind kind)
{
    if (kind == DisplayWindow::kIndication)
        return {16, 14, 32, 14, 220, 18, 15};
    return {8, 6, 16, 8, 0, 13, 13};
}

SIZE TextSize(HDC dc, HFONT font, const std::string &text)
{
    SIZE size = {0, 0};
    HGDIOBJ old = SelectObject(dc, font);
    if (!text.empty())
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    return size;
}

}  // namespace

bool SystemAnimates()
{
    BOOL animates = TRUE;
    if (!SystemParametersInfoA(kGetClientAreaAnimation, 0, &animates, 0))
        return true;
    return animates != FALSE;
}

Palette SystemPalette(ThemeChoice choice)
{
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof contrast;
    const bool high = SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                      (contrast.dwFlags & HCF_HIGHCONTRASTON);
    int light = -1;
    if (choice == ThemeChoice::kSystem) {
        DWORD value = 0, size = sizeof value, type = 0;
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                          KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            if (RegQueryValueExA(key, "AppsUseLightTheme", nullptr, &type, reinterpret_cast<BYTE *>(&value),
                                 &size) == ERROR_SUCCESS &&
                type == REG_DWORD && size == sizeof value)
                light = value ? 1 : 0;
            RegCloseKey(key);
        }
    }
    return ChoosePalette(choice, light, high);
}

DisplayWindow::~DisplayWindow()
{
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (titleFont_)
        DeleteObject(titleFont_);
    if (detailFont_)
        DeleteObject(detailFont_);
    DropSizedIcon();
}

bool DisplayWindow::Create(HINSTANCE instance, HWND owner, Kind kind, const char *name)
{
    kind_ = kind;
    if (!RegisterOnce(instance, Proc))
        return false;
    // Laid out for its monitor's DPI, even when made while a dialog of the
    // options library runs system-aware on this thread.
    ThreadDpiAwareness perMonitor(ThreadDpiAwareness::kPerMonitorV2);
    window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT |
                                  WS_EX_LAYERED,
                              kClassName, name, WS_POPUP, 0, 0, 10, 10, owner, nullptr, instance, this);
    if (!window_)
        return false;
    SetLayeredWindowAttributes(window_, 0, Alpha(), LWA_ALPHA);
    return true;
}

void DisplayWindow::SetContent(const DisplayContent &content)
{
    DropSizedIcon();
    content_ = content;
    if (visible())
        InvalidateRect(window_, nullptr, FALSE);
}

void DisplayWindow::DropSizedIcon()
{
    if (sizedIcon_)
        DestroyIcon(sizedIcon_);
    sizedIcon_ = nullptr;
    sizedIconPx_ = 0;
}

HICON DisplayWindow::IconAt(int px)
{
    if (sizedIcon_ && sizedIconPx_ == px)
        return sizedIcon_;
    DropSizedIcon();
    // The icon's own frame nearest that size, rather than a small one
    // stretched: crisp at every scale and display size.
    if (!content_.iconFile.empty())
        sizedIcon_ = static_cast<HICON>(
            LoadImageA(nullptr, content_.iconFile.c_str(), IMAGE_ICON, px, px, LR_LOADFROMFILE));
    else if (content_.iconModule && content_.iconResource)
        sizedIcon_ = static_cast<HICON>(LoadImageA(content_.iconModule, MAKEINTRESOURCEA(content_.iconResource),
                                                   IMAGE_ICON, px, px, 0));
    sizedIconPx_ = px;
    return sizedIcon_ ? sizedIcon_ : content_.icon;
}

int DisplayWindow::Px(int at96) const
{
    return MulDiv(at96, static_cast<int>(dpi_) * SizePercent(look_.size), 96 * 100);
}

BYTE DisplayWindow::Alpha() const
{
    const int percent = look_.opacityPercent < kMinOpacityPercent ? kMinOpacityPercent
                        : look_.opacityPercent > 100                ? 100
                                                                    : look_.opacityPercent;
    return static_cast<BYTE>(percent * 255 / 100);
}

void DisplayWindow::MakeFonts()
{
    if (titleFont_ && fontDpi_ == dpi_ && fontLook_.size == look_.size)
        return;
    if (titleFont_)
        DeleteObject(titleFont_);
    if (detailFont_)
        DeleteObject(detailFont_);
    // The system's message font face, at the display's own pixel heights.
    NONCLIENTMETRICSA metrics;
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        metrics.cbSize = sizeof metrics - sizeof(int);  // older systems' smaller record
        if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
            metrics.lfMessageFont = LOGFONTA();
    }
    const Metrics m = MetricsOf(kind_);
    LOGFONTA title = metrics.lfMessageFont;
    title.lfWidth = 0;
    title.lfHeight = -Px(m.titleHeight);
    title.lfWeight = FW_BOLD;
    title.lfQuality = ANTIALIASED_QUALITY;
    LOGFONTA detail = title;
    detail.lfHeight = -Px(m.detailHeight);
    detail.lfWeight = kind_ == kIndication ? FW_NORMAL : FW_BOLD;
    titleFont_ = CreateFontIndirectA(&title);
    detailFont_ = CreateFontIndirectA(&detail);
    fontDpi_ = dpi_;
    fontLook_ = look_;
}

SIZE DisplayWindow::Measure(const DisplayLook &look, UINT dpi)
{
    look_ = look;
    dpi_ = dpi ? dpi : 96;
    MakeFonts();
    const Metrics m = MetricsOf(kind_);
    HDC dc = GetDC(window_);
    const SIZE title = TextSize(dc, titleFont_, content_.title);
    const SIZE detail = TextSize(dc, detailFont_, content_.detail);
    ReleaseDC(window_, dc);
    const int icon = content_.icon ? Px(m.icon) + Px(m.gap) : 0;
    const int mark = content_.hasState ? detail.cy * 3 / 4 + Px(4) : 0;
    SIZE size;
    if (kind_ == kIndication) {
        // Icon, then the title over the state.
        const int detailWidth = mark + detail.cx;
        size.cx = Px(m.pad) * 2 + icon + (title.cx > detailWidth ? title.cx : detailWidth);
        const int text = title.cy + detail.cy;
        size.cy = Px(m.pad) * 2 + (text > Px(m.icon) ? text : Px(m.icon));
        if (size.cx < Px(m.minWidth))
            size.cx = Px(m.minWidth);
    } else {
        // Icon, name and state on one line.
        size.cx = Px(m.pad) * 2 + icon + title.cx + Px(m.gap) + mark + detail.cx;
        const int text = title.cy > detail.cy ? title.cy : detail.cy;
        size.cy = Px(m.pad) * 2 + (text > Px(m.icon) ? text : Px(m.icon));
    }
    return size;
}

void DisplayWindow::Put(const RECT &box, const DisplayLook &look, UINT dpi)
{
    if (!window_)
        return;
    const bool wasVisible = visible() && !fadingOut_;
    look_ = look;
    dpi_ = dpi ? dpi : 96;
    MakeFonts();
    const int w = box.right - box.left, h = box.bottom - box.top;
    RECT now = {0, 0, 0, 0};
    GetWindowRect(window_, &now);
    if (now.right - now.left != w || now.bottom - now.top != h || !wasVisible) {
        const int radius = Px(MetricsOf(kind_).radius);
        SetWindowRgn(window_, CreateRoundRectRgn(0, 0, w + 1, h + 1, radius, radius), FALSE);
    }
    if (!wasVisible && look.fade) {
        fadeStep_ = 1;
        fadingOut_ = false;
        SetLayeredWindowAttributes(window_, 0, static_cast<BYTE>(Alpha() / kFadeSteps), LWA_ALPHA);
        SetTimer(window_, kFadeTimer, kFadeStepMs, nullptr);
    } else if (fadeStep_ == 0 || fadingOut_) {
        KillTimer(window_, kFadeTimer);
        fadeStep_ = 0;
        fadingOut_ = false;
        SetLayeredWindowAttributes(window_, 0, Alpha(), LWA_ALPHA);
    }
    if (!EqualRect(&now, &box) || !IsWindowVisible(window_))
        SetWindowPos(window_, HWND_TOPMOST, box.left, box.top, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(window_, nullptr, FALSE);
}

void DisplayWindow::HideAfter(int ms)
{
    if (!window_)
        return;
    if (ms > 0)
        SetTimer(window_, kHideTimer, static_cast<UINT>(ms), nullptr);
    else
        KillTimer(window_, kHideTimer);
}

void DisplayWindow::Hide(bool fade)
{
    if (!window_)
        return;
    KillTimer(window_, kHideTimer);
    dragging_ = false;
    if (fade && visible()) {
        if (!fadingOut_) {
            fadingOut_ = true;
            fadeStep_ = fadeStep_ ? fadeStep_ : kFadeSteps;
            SetTimer(window_, kFadeTimer, kFadeStepMs, nullptr);
        }
        return;
    }
    KillTimer(window_, kFadeTimer);
    fadeStep_ = 0;
    fadingOut_ = false;
    ShowWindow(window_, SW_HIDE);
}

void DisplayWindow::StepFade()
{
    // Fading in counts the steps up to the full alpha, fading out down to
    // nothing; the timer runs only while it fades.
    fadeStep_ += fadingOut_ ? -1 : 1;
    if (fadingOut_ && fadeStep_ <= 0) {
        Hide(false);
        return;
    }
    if (!fadingOut_ && fadeStep_ >= kFadeSteps) {
        KillTimer(window_, kFadeTimer);
        fadeStep_ = 0;
        SetLayeredWindowAttributes(window_, 0, Alpha(), LWA_ALPHA);
        return;
    }
    SetLayeredWindowAttributes(window_, 0, static_cast<BYTE>(Alpha() * fadeStep_ / kFadeSteps), LWA_ALPHA);
}

void DisplayWindow::SetDraggable(bool draggable)
{
    if (!window_ || draggable == draggable_)
        return;
    draggable_ = draggable;
    dragging_ = false;
    LONG_PTR style = GetWindowLongPtrA(window_, GWL_EXSTYLE);
    style = draggable ? style & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT) : style | WS_EX_TRANSPARENT;
    SetWindowLongPtrA(window_, GWL_EXSTYLE, style);
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void DisplayWindow::Paint(HDC dc, const RECT &area)
{
    const Colours colours = ColoursOf(look_.palette);
    const Metrics m = MetricsOf(kind_);
    HBRUSH background = CreateSolidBrush(colours.background);
    FillRect(dc, &area, background);
    DeleteObject(background);
    const int radius = Px(m.radius);
    HPEN pen = CreatePen(PS_SOLID, look_.palette == Palette::kHighContrast ? Px(2) : 1, colours.border);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, area.left, area.top, area.right, area.bottom, radius, radius);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    const int height = area.bottom - area.top;
    int x = area.left + Px(m.pad);
    if (content_.icon) {
        const int icon = Px(m.icon);
        DrawIconEx(dc, x, area.top + (height - icon) / 2, IconAt(icon), icon, icon, 0, nullptr, DI_NORMAL);
        x += icon + Px(m.gap);
    }
    SetBkMode(dc, TRANSPARENT);
    const SIZE title = TextSize(dc, titleFont_, content_.title);
    const SIZE detail = TextSize(dc, detailFont_, content_.detail);
    int titleY, detailX, detailY;
    if (kind_ == kIndication) {
        titleY = area.top + (height - title.cy - detail.cy) / 2;
        detailX = x;
        detailY = titleY + title.cy;
    } else {
        titleY = area.top + (height - title.cy) / 2;
        detailX = x + title.cx + Px(m.gap);
        detailY = area.top + (height - detail.cy) / 2;
    }
    HGDIOBJ oldFont = SelectObject(dc, titleFont_);
    SetTextColor(dc, colours.title);
    TextOutA(dc, x, titleY, content_.title.c_str(), static_cast<int>(content_.title.size()));
    const COLORREF stateColour = content_.on ? colours.on : colours.off;
    if (content_.hasState) {
        // On and off differ in shape as well as colour: a filled disc or a ring.
        const int mark = detail.cy * 3 / 4;
        const int top = detailY + (detail.cy - mark) / 2;
        HPEN markPen = CreatePen(PS_SOLID, Px(2) > 1 ? Px(2) : 1, stateColour);
        HBRUSH fill = content_.on ? CreateSolidBrush(stateColour) : nullptr;
        HGDIOBJ p = SelectObject(dc, markPen);
        HGDIOBJ b = SelectObject(dc, fill ? static_cast<HGDIOBJ>(fill) : GetStockObject(NULL_BRUSH));
        const int inset = content_.on ? 0 : Px(1);
        Ellipse(dc, detailX + inset, top + inset, detailX + mark - inset, top + mark - inset);
        SelectObject(dc, b);
        SelectObject(dc, p);
        DeleteObject(markPen);
        if (fill)
            DeleteObject(fill);
        detailX += mark + Px(4);
    }
    SelectObject(dc, detailFont_);
    SetTextColor(dc, stateColour);
    TextOutA(dc, detailX, detailY, content_.detail.c_str(), static_cast<int>(content_.detail.size()));
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK DisplayWindow::Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        const CREATESTRUCTA *create = reinterpret_cast<const CREATESTRUCTA *>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    DisplayWindow *self = reinterpret_cast<DisplayWindow *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || !self->window_)
        return msg == WM_NCHITTEST ? HTTRANSPARENT : DefWindowProcA(window, msg, wParam, lParam);
    return self->OnMessage(msg, wParam, lParam);
}

LRESULT DisplayWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCHITTEST:
        return draggable_ ? HTCLIENT : HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
        if (draggable_) {
            dragging_ = true;
            grab_ = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            SetCapture(window_);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) {
            // Where the pointer is as this message tells it (the system
            // gives it relative to the window where the window is now).
            POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(window_, &at);
            SetWindowPos(window_, nullptr, at.x - grab_.x, at.y - grab_.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (dragging_) {
            dragging_ = false;
            if (msg == WM_LBUTTONUP)
                ReleaseCapture();
            RECT box;
            // A copy: the call may drop this window.
            const std::function<void(const RECT &)> drop = onDrop;
            if (drop && GetWindowRect(window_, &box))
                drop(box);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wParam == kHideTimer) {
            KillTimer(window_, kHideTimer);
            Hide(look_.fade);
            const std::function<void()> hidden = onHidden;
            if (hidden)
                hidden();
        } else if (wParam == kFadeTimer) {
            StepFade();
        }
        return 0;
    case 0x02E0:  // WM_DPICHANGED: placed and drawn again for the new DPI
    case WM_SETTINGCHANGE:
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE: {
        const std::function<void()> changed = onLookChanged;
        if (changed)
            changed();
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window_, &ps);
        RECT area;
        GetClientRect(window_, &area);
        // Drawn off screen first, so that a repaint never flickers.
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
        HGDIOBJ old = SelectObject(memory, bitmap);
        Paint(memory, area);
        BitBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(window_, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(window_, msg, wParam, lParam);
    }
}

}  // namespace tolvar
