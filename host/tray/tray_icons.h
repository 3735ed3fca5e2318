/*
 * tray_icons.h - the notification-area icons: one per watched key with an
 * icon, and the program's own. An icon may be wanted only at times (a key's
 * icon only while the key is on): it is deleted while it is not, and added
 * again when it is.
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
        bool wanted;  // in the notification area now
    };

    void Init(HWND window, UINT callbackMessage);
    // Removes the current icons and adds these, in this order.
    void Replace(const std::vector<Icon> &icons);
    // Changes one icon's image and tip; adds it if the shell lacks it. An
    // icon no longer wanted is deleted, one wanted again added.
    void Update(UINT id, HICON image, const std::string &tip, bool wanted);
    bool Wanted(UINT id) const;
    // After the shell restarted: every icon again.
    void AddAll();
    // Those wanted that the shell did not take yet (it may have had no
    // notification area).
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
