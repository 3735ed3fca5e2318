/*
 * tray_presence.h - which icons are in the notification area: each key's
 * as its tray choice says (always, while the key is on or down, never),
 * and the program's own while no key's is there, so that the tray menu can
 * always be reached.
 *
 * Platform-free, so that the rule is tested natively.
 */
#ifndef TOLVAR_HOST_TRAY_PRESENCE_H
#define TOLVAR_HOST_TRAY_PRESENCE_H

#include <stdint.h>

#include <vector>

#include "host/settings/settings.h"

namespace tolvar {

// The program's icon's id: below every key's (TrayIconId sets bit 16).
const uint32_t kProgramTrayIconId = 1;

// Whether the key's icon is in the notification area in this state (1 on
// or down; 0 off or up; -1 not known yet, as off).
bool KeyTrayIconShown(const KeySetting &key, int32_t state);

// Whether the program's icon is: while no key's is. states: per key.
bool ProgramTrayIconShown(const std::vector<KeySetting> &keys, const std::vector<int32_t> &states);

}  // namespace tolvar

#endif  // TOLVAR_HOST_TRAY_PRESENCE_H
