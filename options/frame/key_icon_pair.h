// key_icon_pair.h - the loaded on/off icons of one icon item of the options
// dialog, found by the item's key code.
#ifndef TOLVAR_FRAME_KEY_ICON_PAIR_H
#define TOLVAR_FRAME_KEY_ICON_PAIR_H

#include <windows.h>
#include <cstdint>

namespace tolvar {

class KeyIconPair {
public:
    KeyIconPair() = default;
    // Destroys both icons when they are not null.
    virtual ~KeyIconPair();
    KeyIconPair(const KeyIconPair &) = delete;
    KeyIconPair &operator=(const KeyIconPair &) = delete;

    int32_t keyCode = 0;
    HICON onIcon = nullptr;
    HICON offIcon = nullptr;
    int32_t onImageIndex = 0;
    int32_t offImageIndex = 0;
    bool onIconMissing = false;
    bool offIconMissing = false;

    // Loads the on (on = true) or off icon from the icon file at path. When
    // the file does not load, takes the host's default icon for keyCode
    // (a copy of icon resource 2000/2001, 3000/3001, 4000/4001 of the
    // process's main module for Caps, Num and Scroll Lock), or none for
    // other keys, and
    // records the icon as missing when a path was given. The previous handle
    // is not released here: the caller destroys it first.
    void LoadStateIcon(const char *path, bool on);
};

} // namespace tolvar

#endif // TOLVAR_FRAME_KEY_ICON_PAIR_H
