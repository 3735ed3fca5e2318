// Notification-area icons.
#include "host/tray_icons.h"

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

void TrayIcons::Update(UINT id, HICON image, const std::string &tip)
{
    for (size_t i = 0; i < icons_.size(); ++i) {
        if (icons_[i].id != id)
            continue;
        icons_[i].image = image;
        icons_[i].tip = tip;
        // A modification the shell refuses means it no longer has the icon.
        shown_[i] = (shown_[i] && Send(NIM_MODIFY, icons_[i])) || Send(NIM_ADD, icons_[i]);
        return;
    }
}

void TrayIcons::AddAll()
{
    for (size_t i = 0; i < icons_.size(); ++i) {
        // After a shell restart the new shell has none of them; an icon it
        // still had (a repeated announcement) is refreshed instead.
        shown_[i] = Send(NIM_ADD, icons_[i]) || Send(NIM_MODIFY, icons_[i]);
    }
}

void TrayIcons::AddMissing()
{
    for (size_t i = 0; i < icons_.size(); ++i)
        if (!shown_[i])
            shown_[i] = Send(NIM_ADD, icons_[i]);
}

void TrayIcons::RemoveAll()
{
    for (size_t i = 0; i < icons_.size(); ++i)
        if (shown_[i])
            Send(NIM_DELETE, icons_[i]);
    icons_.clear();
    shown_.clear();
}

bool TrayIcons::AllShown() const
{
    for (bool shown : shown_)
        if (!shown)
            return false;
    return true;
}

}  // namespace tolvar
