/*
 * key_visuals.h - the loaded icons of every watched key, in both states and
 * both sizes (the tray's small one, the on-screen display's large one),
 * loaded once per settings change so that a report only picks them; and
 * the program's own tray icon.
 *
 * The tray's default icons are drawn for the taskbar's look (tray_theme.h)
 * at the notification area's icon size, and are loaded again when either
 * changes. Icons the user picked from files stay as they are.
 */
#ifndef TOLVAR_HOST_KEY_VISUALS_H
#define TOLVAR_HOST_KEY_VISUALS_H

#include <windows.h>

#include <string>
#include <vector>

#include "host/settings/settings.h"
#include "host/tray/tray_theme.h"

namespace tolvar {

struct StateVisual {
    HICON small = nullptr;
    HICON large = nullptr;
    std::string shown;  // the icon file's full path, "res:<id>", or "none"
    int trayResource = 0;  // the resource the small icon comes from; 0: a file or none
    // Where the icons come from, for a display that loads its own size.
    std::string file;
    int resource = 0;
};

class KeyVisuals {
public:
    ~KeyVisuals() { Clear(); }
    // Loads each key's own icon files where set and loadable, else the
    // program's resource icon for the key (ChooseIcon). A relative icon path
    // means a file beside the program (media_path.h).
    void Build(const Settings &settings, HINSTANCE program);
    // Loads the tray's default icons again when the taskbar's look or the
    // notification area's icon size changed since; true if they did.
    bool FollowTaskbar(HINSTANCE program);
    const StateVisual &Get(size_t key, bool on) const;
    // The program's own tray icon.
    const StateVisual &Program() const { return program_; }
    void Clear();

private:
    void LoadTrayIcons(HINSTANCE program);
    std::vector<StateVisual> visuals_;  // two per key: off, on
    StateVisual program_;
    StateVisual none_;
    TrayLook look_ = TrayLook::kDark;
    int traySize_ = 0;
};

// The taskbar's look as the system has it now.
TrayLook CurrentTrayLook();

// A window message after which the taskbar's look or the notification
// area's icon size may have changed: a new colour set or theme, high
// contrast switched, a display change.
bool TaskbarMayHaveChanged(UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace tolvar

#endif  // TOLVAR_HOST_KEY_VISUALS_H
