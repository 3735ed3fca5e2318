// key_icon_pair.cpp - loading the on/off icons of an icon item.
#include "options/frame/key_icon_pair.h"

#include "options/frame/default_icons.h"

namespace tolvar {

KeyIconPair::~KeyIconPair()
{
    if (onIcon)
        DestroyIcon(onIcon);
    if (offIcon)
        DestroyIcon(offIcon);
}

void KeyIconPair::LoadStateIcon(const char *path, bool on)
{
    bool hasPath = path && path[0];
    HICON icon = nullptr;
    if (hasPath)
        icon = static_cast<HICON>(LoadImageA(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE));

    bool missing = false;
    if (!icon) {
        // The host executable's own icon for a lock key stands in: a copy,
        // because the pair destroys what it holds (and so does the dialog
        // when it replaces an icon), and the icon LoadIconA returns is the
        // system's shared one, which must never be destroyed.
        int id = DefaultStateIconId(keyCode, on);
        HICON shared = id ? LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)) : nullptr;
        if (shared)
            icon = CopyIcon(shared);
        missing = hasPath;
    }

    if (on) {
        onIcon = icon;
        onIconMissing = missing;
    } else {
        offIcon = icon;
        offIconMissing = missing;
    }
}

} // namespace tolvar
