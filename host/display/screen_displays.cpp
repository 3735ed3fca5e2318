// The displays on the monitors the settings choose, hidden behind a
// full-screen program, previewed for the Display window.
#include "host/display/screen_displays.h"

#include "host/app/dll_search.h"
#include "host/display/dpi_awareness.h"
#include "host/display/indication.h"

namespace tolvar {

namespace {

const char *const kStaysNames[kLockKeys] = {"Tolvar Caps Lock", "Tolvar Num Lock", "Tolvar Scroll Lock"};
const char *const kLockNames[kLockKeys] = {"Caps Lock", "Num Lock", "Scroll Lock"};
const int kMarginAt96 = 12;
const int kGapAt96 = 6;

// What the shell says about the user's attention (shellapi.h's
// QUERY_USER_NOTIFICATION_STATE): busy with a full-screen program, a
// Direct3D game, a presentation, or quiet hours.
enum { kQunsBusy = 2, kQunsD3dFullScreen = 3, kQunsPresentation = 4, kQunsQuietTime = 6 };
typedef HRESULT(WINAPI *QueryNotificationStateProc)(int *state);
typedef HRESULT(WINAPI *GetDpiForMonitorProc)(HMONITOR monitor, int type, UINT *x, UINT *y);

ScreenBox BoxOf(const RECT &r) { return {r.left, r.top, r.right, r.bottom}; }
RECT RectOf(const ScreenBox &b) { return {b.left, b.top, b.right, b.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT *, LPARAM list)
{
    reinterpret_cast<std::vector<HMONITOR> *>(list)->push_back(monitor);
    return TRUE;
}

// The system's notion of a shell or desktop window, which covers every
// monitor without being a full-screen program.
bool IsDesktop(HWND window)
{
    if (window == GetDesktopWindow() || window == GetShellWindow())
        return true;
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "Progman") == 0 || lstrcmpA(name, "WorkerW") == 0;
}

}  // namespace

UINT MonitorDpi(HMONITOR monitor)
{
    // shcore.dll (Windows 8.1 and later), from the system folder only.
    static const GetDpiForMonitorProc getDpi =
        FindExport<GetDpiForMonitorProc>(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (getDpi && monitor && SUCCEEDED(getDpi(monitor, 0 /* effective */, &x, &y)) && x >= 48 && x <= 960)
        return x;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi >= 48 && dpi <= 960 ? static_cast<UINT>(dpi) : 96;
}

ScreenDisplays::~ScreenDisplays()
{
    slots_.clear();
    for (auto &icon : icons_)
        DestroyIcon(icon.second);
}

void ScreenDisplays::Init(HINSTANCE instance, HWND owner, UINT placeDragged)
{
    instance_ = instance;
    owner_ = owner;
    placeDragged_ = placeDragged;
}

void ScreenDisplays::Apply(const Settings &settings)
{
    settings_ = settings;
    if (!settings_.showDisplay)
        indicationShown_ = false;
    Layout();
}

void ScreenDisplays::ShowIndication(const DisplayContent &content)
{
    indication_ = content;
    indicationShown_ = true;
    restartTimer_ = true;
    Layout();
}

void ScreenDisplays::HideIndication()
{
    indicationShown_ = false;
    Layout();
}

void ScreenDisplays::SetLockStates(const int32_t states[kLockKeys])
{
    bool changed = false;
    for (int i = 0; i < kLockKeys; ++i) {
        changed = changed || lockStates_[i] != states[i];
        lockStates_[i] = states[i];
    }
    if (changed || slots_.empty())
        Layout();
}

void ScreenDisplays::Refresh() { Layout(); }

void ScreenDisplays::HideAll()
{
    indicationShown_ = false;
    previewing_ = false;
    for (Slot &slot : slots_) {
        if (slot.indication)
            slot.indication->Hide(false);
        for (auto &stays : slot.stays)
            if (stays)
                stays->Hide(false);
    }
}

void ScreenDisplays::Preview(const Settings &draft, const DisplayContent &sample, HWND listener)
{
    draft_ = draft;
    sample_ = sample;
    listener_ = listener;
    previewing_ = true;
    Layout();
}

void ScreenDisplays::EndPreview()
{
    if (!previewing_)
        return;
    previewing_ = false;
    listener_ = nullptr;
    for (Slot &slot : slots_)
        if (slot.indication) {
            slot.indication->SetDraggable(false);
            slot.indication->Hide(false);
        }
    Layout();
}

std::vector<ScreenDisplays::Monitor> ScreenDisplays::Monitors() const
{
    std::vector<HMONITOR> handles;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&handles));
    // Some shells leave their taskbar inside the work area.
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    RECT bar = {0, 0, 0, 0};
    const bool hasBar = taskbar && IsWindowVisible(taskbar) && GetWindowRect(taskbar, &bar);
    const ScreenBox barBox = BoxOf(bar);
    std::vector<Monitor> monitors;
    for (HMONITOR handle : handles) {
        MONITORINFO info;
        info.cbSize = sizeof info;
        if (!GetMonitorInfoA(handle, &info))
            continue;
        // The work area as reported, but never beyond its monitor (Wine may
        // report one that is after a change of resolution).
        RECT work;
        if (!IntersectRect(&work, &info.rcWork, &info.rcMonitor))
            work = info.rcMonitor;
        monitors.push_back({handle, BoxOf(info.rcMonitor), UsableArea(BoxOf(work), hasBar ? &barBox : nullptr),
                            MonitorDpi(handle)});
    }
    if (monitors.empty()) {
        const ScreenBox screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        monitors.push_back({nullptr, screen, screen, MonitorDpi(nullptr)});
    }
    return monitors;
}

std::vector<size_t> ScreenDisplays::Chosen(const std::vector<Monitor> &monitors) const
{
    std::vector<size_t> chosen;
    HMONITOR wanted = nullptr;
    switch (Current().display.monitor) {
    case MonitorChoice::kAll:
        for (size_t i = 0; i < monitors.size(); ++i)
            chosen.push_back(i);
        return chosen;
    case MonitorChoice::kPointer: {
        POINT at;
        if (GetCursorPos(&at))
            wanted = MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY);
        break;
    }
    case MonitorChoice::kPrimary:
        break;
    case MonitorChoice::kFocused:
    default: {
        // Where the user is looking.
        HWND focus = GetForegroundWindow();
        wanted = MonitorFromWindow(focus ? focus : owner_, MONITOR_DEFAULTTOPRIMARY);
        break;
    }
    }
    if (!wanted) {
        const POINT origin = {0, 0};
        wanted = MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
    }
    for (size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].handle == wanted)
            chosen.push_back(i);
    if (chosen.empty())
        chosen.push_back(0);
    return chosen;
}

bool ScreenDisplays::FullScreenInFront() const
{
    HWND front = GetForegroundWindow();
    if (front && !IsDesktop(front)) {
        // A window without a caption over its whole monitor (a maximized
        // window keeps its caption and the taskbar).
        const LONG_PTR style = GetWindowLongPtrA(front, GWL_STYLE);
        MONITORINFO info;
        info.cbSize = sizeof info;
        RECT box;
        if ((style & WS_CAPTION) != WS_CAPTION && GetWindowRect(front, &box) &&
            GetMonitorInfoA(MonitorFromWindow(front, MONITOR_DEFAULTTONEAREST), &info) &&
            CoversMonitor(BoxOf(box), BoxOf(info.rcMonitor)))
            return true;
    }
    // Older systems lack the shell's notion of it.
    static const QueryNotificationStateProc query =
        FindExport<QueryNotificationStateProc>(GetModuleHandleA("shell32.dll"), "SHQueryUserNotificationState");
    int state = 0;
    return query && SUCCEEDED(query(&state)) &&
           (state == kQunsBusy || state == kQunsD3dFullScreen || state == kQunsPresentation ||
            state == kQunsQuietTime);
}

DisplayLook ScreenDisplays::Look() const
{
    const DisplaySettings &d = Current().display;
    DisplayLook look;
    look.size = d.size;
    look.opacityPercent = d.opacityPercent;
    look.palette = SystemPalette(d.theme);
    look.fade = d.fade && !previewing_ && SystemAnimates();
    return look;
}

DisplayWindow *ScreenDisplays::Make(DisplayWindow::Kind kind, const char *name)
{
    DisplayWindow *window = new DisplayWindow;
    if (!window->Create(instance_, owner_, kind, name)) {
        delete window;
        return nullptr;
    }
    window->onLookChanged = [this] { Layout(); };
    if (kind == DisplayWindow::kIndication) {
        window->onHidden = [this] {
            // Its time is over on every monitor.
            indicationShown_ = false;
            for (Slot &slot : slots_)
                if (slot.indication && slot.indication->visible())
                    slot.indication->Hide(Look().fade);
        };
        window->onDrop = [this](const RECT &box) { OnDrop(box); };
    }
    return window;
}

HICON ScreenDisplays::LockIcon(int lock, bool on, int size)
{
    const int id = DefaultIconId(kLockKeyCodes[lock], on);
    const int key = id * 1000 + size;
    auto found = icons_.find(key);
    if (found != icons_.end())
        return found->second;
    HICON icon = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
    if (icon)
        icons_[key] = icon;
    return icon;
}

void ScreenDisplays::Layout()
{
    // A display moved to another monitor gets a new DPI, and with it a call
    // back here: that one is done once this one has finished.
    if (layingOut_) {
        layoutAgain_ = true;
        return;
    }
    layingOut_ = true;
    // Physical pixels, even inside a system-aware dialog's loop.
    ThreadDpiAwareness perMonitor(ThreadDpiAwareness::kPerMonitorV2);
    int rounds = 0;
    do {
        layoutAgain_ = false;
        const std::vector<Monitor> monitors = Monitors();
        std::vector<ScreenBox> rects;
        for (const Monitor &m : monitors)
            rects.push_back(m.rect);
        const std::string layout = MonitorLayoutId(rects);
        const std::vector<size_t> chosen = Chosen(monitors);
        const bool hidden = !previewing_ && Current().display.hideInFullScreen && FullScreenInFront();
        if (hidden)
            indicationShown_ = false;
        // Monitors that went, or are no longer chosen, take their windows.
        while (slots_.size() > chosen.size())
            slots_.pop_back();
        slots_.resize(chosen.size());
        const DisplayLook look = Look();
        for (size_t i = 0; i < chosen.size(); ++i) {
            if (hidden) {
                Slot &slot = slots_[i];
                if (slot.indication)
                    slot.indication->Hide(false);
                for (auto &stays : slot.stays)
                    if (stays)
                        stays->Hide(false);
                continue;
            }
            LayoutSlot(slots_[i], monitors[chosen[i]], layout, look);
        }
    } while (layoutAgain_ && ++rounds < 3);
    restartTimer_ = false;
    layingOut_ = false;
}

void ScreenDisplays::LayoutSlot(Slot &slot, const Monitor &monitor, const std::string &layout,
                                const DisplayLook &look)
{
    const Settings &s = Current();
    const DisplaySettings &d = s.display;
    const int margin = MulDiv(kMarginAt96, static_cast<int>(monitor.dpi), 96);
    const int gap = MulDiv(kGapAt96, static_cast<int>(monitor.dpi), 96);

    const bool indication = previewing_ || (indicationShown_ && s.showDisplay);
    if (indication && !slot.indication)
        slot.indication.reset(Make(DisplayWindow::kIndication, "Tolvar"));
    if (indication && slot.indication) {
        DisplayWindow &w = *slot.indication;
        w.SetContent(previewing_ ? sample_ : indication_);
        const SIZE size = w.Measure(look, monitor.dpi);
        const BoxSize box = {size.cx, size.cy};
        const DraggedPlace *place = d.dragged ? FindPlace(d, layout) : nullptr;
        const ScreenBox at = place ? PlaceAtFractions(place->x, place->y, box, monitor.area)
                                   : PlaceAtAnchor(d.anchor, d.offsetXPercent, d.offsetYPercent, box,
                                                   monitor.area, margin);
        w.SetDraggable(previewing_ && d.dragged);
        w.Put(RectOf(at), look, monitor.dpi);
        if (previewing_)
            w.HideAfter(0);
        else if (restartTimer_)
            w.HideAfter(d.untilNextKey ? 0 : s.displayMs);
    } else if (slot.indication && slot.indication->visible()) {
        slot.indication->Hide(look.fade);
    }

    // The indicators that stay, Caps Lock nearest the corner.
    std::vector<int> shown;
    std::vector<BoxSize> sizes;
    for (int i = 0; i < kLockKeys; ++i) {
        const bool on = previewing_ ? d.stays[i] == Stays::kWhileOn : lockStates_[i] == 1;
        if (!IndicatorStays(d.stays[i], on)) {
            if (slot.stays[i])
                slot.stays[i]->Hide(false);
            continue;
        }
        if (!slot.stays[i])
            slot.stays[i].reset(Make(DisplayWindow::kStays, kStaysNames[i]));
        if (!slot.stays[i])
            continue;
        DisplayContent content;
        content.title = kLockNames[i];
        content.detail = on ? "on" : "off";
        content.hasState = true;
        content.on = on;
        content.icon = LockIcon(i, on, MulDiv(16, static_cast<int>(monitor.dpi) * SizePercent(d.size), 9600));
        slot.stays[i]->SetContent(content);
        const SIZE size = slot.stays[i]->Measure(look, monitor.dpi);
        shown.push_back(i);
        sizes.push_back({size.cx, size.cy});
    }
    const std::vector<ScreenBox> boxes = StackInCorner(d.stackCorner, sizes, monitor.area, margin, gap);
    for (size_t k = 0; k < shown.size(); ++k)
        slot.stays[shown[k]]->Put(RectOf(boxes[k]), look, monitor.dpi);
}

void ScreenDisplays::OnDrop(const RECT &box)
{
    // Kept as fractions of the room on the monitor it was let go on, for
    // this layout of monitors.
    const std::vector<Monitor> monitors = Monitors();
    HMONITOR on = MonitorFromRect(&box, MONITOR_DEFAULTTONEAREST);
    const Monitor *target = &monitors[0];
    std::vector<ScreenBox> rects;
    for (const Monitor &m : monitors) {
        rects.push_back(m.rect);
        if (m.handle == on)
            target = &m;
    }
    DraggedPlace place;
    place.layout = MonitorLayoutId(rects);
    FractionsOf(BoxOf(box), target->area, &place.x, &place.y);
    if (previewing_ && listener_)
        SendMessageA(listener_, placeDragged_, 0, reinterpret_cast<LPARAM>(&place));
    Layout();
}

}  // namespace tolvar
