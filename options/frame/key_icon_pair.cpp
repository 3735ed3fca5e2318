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
        // The host executable's own icon for a lock key stands in.
        int id = DefaultStateIconId(keyCode, on);
        if (id)
            icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
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
