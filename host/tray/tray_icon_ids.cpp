// Notification-area ids derived from the keys.
#include "host/tray/tray_icon_ids.h"

#include <map>

namespace tolvar {

uint32_t TrayIconId(int32_t keyCode, uint8_t modifiers, uint32_t repeat)
{
    // Bits 0-7 the key code (1..255 in a settings file), 8-15 the modifier
    // byte, bit 16 set so that no id is 0, from bit 17 on the repeat.
    return (repeat << 17) | 0x10000u | (static_cast<uint32_t>(modifiers) << 8) |
           (static_cast<uint32_t>(keyCode) & 0xFFu);
}

std::vector<uint32_t> TrayIconIds(const std::vector<KeySetting> &keys)
{
    std::map<uint32_t, uint32_t> seen;  // id without repeat -> keys with it so far
    std::vector<uint32_t> ids;
    ids.reserve(keys.size());
    for (const KeySetting &key : keys) {
        uint32_t &repeat = seen[TrayIconId(key.keyCode, key.modifiers, 0)];
        ids.push_back(TrayIconId(key.keyCode, key.modifiers, repeat++));
    }
    return ids;
}

}  // namespace tolvar
