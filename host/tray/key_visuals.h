/*
 * key_visuals.h - the loaded icons of every watched key, in both states and
 * both sizes (the tray's small one, the on-screen display's large one),
 * loaded once per settings change so that a report only picks them.
 */
#ifndef TOLVAR_HOST_KEY_VISUALS_H
#define TOLVAR_HOST_KEY_VISUALS_H

#include <windows.h>

#include <string>
#include <vector>

#include "host/settings/settings.h"

namespace tolvar {

struct StateVisual {
    HICON small = nullptr;
    HICON large = nullptr;
    std::string shown;  // the icon file's full path, "res:<id>", or "none"
};

class KeyVisuals {
public:
    ~KeyVisuals() { Clear(); }
    // Loads each key's own icon files where set and loadable, else the
    // program's resource icon for the key (ChooseIcon). A relative icon path
    // means a file beside the program (media_path.h).
    void Build(const Settings &settings, HINSTANCE program);
    const StateVisual &Get(size_t key, bool on) const;
    void Clear();

private:
    std::vector<StateVisual> visuals_;  // two per key: off, on
    StateVisual none_;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_KEY_VISUALS_H
