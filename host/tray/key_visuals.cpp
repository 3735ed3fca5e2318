// Icons of the watched keys.
#include "host/tray/key_visuals.h"

#include "host/display/indication.h"
#include "host/settings/media_path.h"
#include "host/app/dll_search.h"
#include "host/app/program_paths.h"

namespace tolvar {

namespace {

HICON LoadSized(HINSTANCE module, const char *name, int size, UINT flags)
{
    return static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, size, size, flags));
}

void Release(HICON *icon)
{
    if (*icon)
        DestroyIcon(*icon);
    *icon = nullptr;
}

// The notification area's icon size: the small icon at the taskbar's
// resolution, where the system can tell it (Windows 10 version 1607 on),
// else at the system's.
int TrayIconSize()
{
    typedef UINT(WINAPI * DpiForWindow)(HWND);
    typedef int(WINAPI * MetricsForDpi)(int, UINT);
    HMODULE user = GetModuleHandleA("user32.dll");
    const DpiForWindow dpiFor = FindExport<DpiForWindow>(user, "GetDpiForWindow");
    const MetricsForDpi metrics = FindExport<MetricsForDpi>(user, "GetSystemMetricsForDpi");
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    const UINT dpi = dpiFor && metrics && taskbar ? dpiFor(taskbar) : 0;
    const int size = dpi ? metrics(SM_CXSMICON, dpi) : 0;
    return size > 0 ? size : GetSystemMetrics(SM_CXSMICON);
}

StateVisual LoadVisual(const IconChoice &choice, HINSTANCE program, const std::string &folder)
{
    StateVisual v;
    const int small = GetSystemMetrics(SM_CXSMICON);
    const int large = GetSystemMetrics(SM_CXICON);
    const std::string file = ResolveMediaPath(choice.file, folder);
    if (!file.empty()) {
        v.small = LoadSized(nullptr, file.c_str(), TrayIconSize(), LR_LOADFROMFILE);
        v.large = LoadSized(nullptr, file.c_str(), large, LR_LOADFROMFILE);
        if (v.small && v.large) {
            v.shown = file;
            v.file = file;
            return v;
        }
        // Not an icon after all: the key's default, as the options dialog shows.
        Release(&v.small);
        Release(&v.large);
    }
    if (choice.resourceId) {
        v.small = LoadSized(program, MAKEINTRESOURCEA(choice.resourceId), small, 0);
        v.large = LoadSized(program, MAKEINTRESOURCEA(choice.resourceId), large, 0);
    }
    v.shown = v.small ? ResourceText(choice.resourceId) : "none";
    // The tray's image of a default icon follows the taskbar (LoadTrayIcons).
    v.trayResource = v.small ? choice.resourceId : 0;
    v.resource = v.trayResource;
    return v;
}

}  // namespace

TrayLook CurrentTrayLook()
{
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof contrast;
    const bool high = SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                      (contrast.dwFlags & HCF_HIGHCONTRASTON);
    DWORD light = 0, type = 0, size = sizeof light;
    HKEY key = nullptr;
    bool hasLight = false;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        hasLight = RegQueryValueExA(key, "SystemUsesLightTheme", nullptr, &type, reinterpret_cast<BYTE *>(&light),
                                    &size) == ERROR_SUCCESS &&
                   type == REG_DWORD && size == sizeof light;
        RegCloseKey(key);
    }
    return ChooseTrayLook(high, hasLight, light);
}

bool TaskbarMayHaveChanged(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
        return true;
    case WM_SETTINGCHANGE:
        // The light or dark choice comes as "ImmersiveColorSet".
        return wParam == SPI_SETHIGHCONTRAST ||
               (lParam && lstrcmpiA(reinterpret_cast<const char *>(lParam), "ImmersiveColorSet") == 0);
    default:
        return false;
    }
}

void KeyVisuals::Build(const Settings &settings, HINSTANCE program)
{
    Clear();
    none_.shown = "none";
    const std::string folder = ProgramFolder();
    for (const KeySetting &key : settings.keys) {
        visuals_.push_back(LoadVisual(ChooseIcon(key, false), program, folder));
        visuals_.push_back(LoadVisual(ChooseIcon(key, true), program, folder));
    }
    program_.trayResource = kProgramIconId;
    program_.shown = ResourceText(kProgramIconId);
    look_ = CurrentTrayLook();
    traySize_ = TrayIconSize();
    LoadTrayIcons(program);
}

void KeyVisuals::LoadTrayIcons(HINSTANCE program)
{
    auto reload = [&](StateVisual &visual) {
        if (!visual.trayResource)
            return;
        HICON icon = LoadSized(program, MAKEINTRESOURCEA(TrayIconResource(visual.trayResource, look_)),
                               traySize_, 0);
        if (!icon)
            return;  // the one loaded before stays
        Release(&visual.small);
        visual.small = icon;
    };
    for (StateVisual &visual : visuals_)
        reload(visual);
    reload(program_);
}

bool KeyVisuals::FollowTaskbar(HINSTANCE program)
{
    const TrayLook look = CurrentTrayLook();
    const int size = TrayIconSize();
    if (look == look_ && size == traySize_)
        return false;
    look_ = look;
    traySize_ = size;
    LoadTrayIcons(program);
    return true;
}

const StateVisual &KeyVisuals::Get(size_t key, bool on) const
{
    const size_t index = key * 2 + (on ? 1 : 0);
    return index < visuals_.size() ? visuals_[index] : none_;
}

void KeyVisuals::Clear()
{
    for (StateVisual &v : visuals_) {
        Release(&v.small);
        Release(&v.large);
    }
    visuals_.clear();
    Release(&program_.small);
}

}  // namespace tolvar
