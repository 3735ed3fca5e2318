// Notification-area icons.
#include "host/tray/tray_icons.h"

#include <shellapi.h>
#include <string.h>

namespace tolvar {

void TrayIcons::Init(HWND window, UINT callbackMessage)
{
    window_ = window;
    callbackMessage_ = callbackMessage;
}

bool TrayIcons::Send(DWORD message, const Icon &icon)
{
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof data);
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = icon.id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon.image;
    lstrcpynA(data.szTip, icon.tip.c_str(), sizeof data.szTip);
    return Shell_NotifyIconA(message, &data) != 0;
}

void TrayIcons::Replace(const std::vector<Icon> &icons)
{
    RemoveAll();
    icons_ = icons;
    shown_.assign(icons_.size(), false);
    AddAll();
}

bool TrayIcons::Show(const Icon &icon, bool known)
{
    // The shell answers FALSE when it does not reply in time (at logon,
    // after resume, when busy), though it may still apply the call. So an
    // icon it should have is modified, and added if it turns out missing;
    // one it may lack is added, and modified if it turns out there.
    return known ? Send(NIM_MODIFY, icon) || Send(NIM_ADD, icon)
                 : Send(NIM_ADD, icon) || Send(NIM_MODIFY, icon);
}

void TrayIcons::Update(UINT id, HICON image, const std::string &tip, bool wanted)
{
    for (size_t i = 0; i < icons_.size(); ++i) {
        Icon &icon = icons_[i];
        if (icon.id != id)
            continue;
        const bool wasWanted = icon.wanted;
        icon.image = image;
        icon.tip = tip;
        icon.wanted = wanted;
        if (wanted) {
            // One deleted before may still be there if the shell did not
            // apply the deletion: an addition, then a modification.
            shown_[i] = Show(icon, wasWanted && shown_[i]);
        } else if (wasWanted) {
            // Also when not known to be shown: the shell may have taken it
            // without saying so.
            Send(NIM_DELETE, icon);
            shown_[i] = false;
        }
        return;
    }
}

bool TrayIcons::Wanted(UINT id) const
{
    for (const Icon &icon : icons_)
        if (icon.id == id)
            return icon.wanted;
    return false;
}

void TrayIcons::AddAll()
{
    // A new shell has none of them; a repeated announcement finds them
    // there.
    for (size_t i = 0; i < icons_.size(); ++i)
        if (icons_[i].wanted)
            shown_[i] = Show(icons_[i], false);
}

void TrayIcons::AddMissing()
{
    for (size_t i = 0; i < icons_.size(); ++i)
        if (icons_[i].wanted && !shown_[i])
            shown_[i] = Show(icons_[i], false);
}

void TrayIcons::RemoveAll()
{
    // Also those not known to be shown: the shell may have taken them
    // without saying so. Those not wanted were deleted when they stopped
    // being wanted.
    for (size_t i = 0; i < icons_.size(); ++i)
        if (icons_[i].wanted)
            Send(NIM_DELETE, icons_[i]);
    icons_.clear();
    shown_.clear();
}

bool TrayIcons::AllShown() const
{
    for (size_t i = 0; i < icons_.size(); ++i)
        if (icons_[i].wanted && !shown_[i])
            return false;
    return true;
}

}  // namespace tolvar
