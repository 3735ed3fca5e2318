/*
 * tray_icons.h - one notification-area icon per watched key with an icon.
 *
 * The shell may have no notification area when the program starts, or lose
 * it when it restarts, and it answers FALSE also when it was merely slow to
 * reply: an icon not known to be shown is tried again, as an addition and
 * then as a modification, when the shell announces a new taskbar
 * ("TaskbarCreated"), when any key next changes, and after the session
 * comes back (resume, unlock).
 */
#ifndef TOLVAR_HOST_TRAY_ICONS_H
#define TOLVAR_HOST_TRAY_ICONS_H

#include <windows.h>

#include <string>
#include <vector>

namespace tolvar {

class TrayIcons {
public:
    struct Icon {
        UINT id;
        HICON image;
        std::string tip;
    };

    void Init(HWND window, UINT callbackMessage);
    // Removes the current icons and adds these, in this order.
    void Replace(const std::vector<Icon> &icons);
    // Changes one icon's image and tip; adds it if the shell lacks it.
    void Update(UINT id, HICON image, const std::string &tip);
    // After the shell restarted: every icon again.
    void AddAll();
    // Those the shell did not take yet (it may have had no notification area).
    void AddMissing();
    void RemoveAll();
    bool AllShown() const;

private:
    bool Send(DWORD message, const Icon &icon);
    // Puts the icon into the notification area; known: it should be there.
    bool Show(const Icon &icon, bool known);
    HWND window_ = nullptr;
    UINT callbackMessage_ = 0;
    std::vector<Icon> icons_;
    std::vector<bool> shown_;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_TRAY_ICONS_H
