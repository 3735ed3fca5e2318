// Which icons are in the notification area.
#include "host/tray/tray_presence.h"

namespace tolvar {

bool KeyTrayIconShown(const KeySetting &key, int32_t state)
{
    if (!key.active || !key.hasIcon)
        return false;
    switch (key.shown.tray) {
    case TrayShow::kAlways: return true;
    case TrayShow::kWhileOn: return state == 1;
    case TrayShow::kNever: return false;
    }
    return true;
}

bool ProgramTrayIconShown(const std::vector<KeySetting> &keys, const std::vector<int32_t> &states)
{
    for (size_t i = 0; i < keys.size(); ++i)
        if (KeyTrayIconShown(keys[i], i < states.size() ? states[i] : -1))
            return false;
    return true;
}

}  // namespace tolvar
