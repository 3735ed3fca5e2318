/*
 * tray_icon_ids.h - the notification-area id of each watched key.
 *
 * The shell keeps what the user chose for an icon (shown on the taskbar or
 * hidden in the overflow) under the program's path and the icon's id. So
 * the id comes from the key itself, its code and modifiers, and never from
 * its place in the list: a key keeps its id, and the user's choice, when
 * keys are reordered, added or deleted, and from one run to the next.
 *
 * Platform-free, so that the rule is tested natively.
 */
#ifndef TOLVAR_HOST_TRAY_ICON_IDS_H
#define TOLVAR_HOST_TRAY_ICON_IDS_H

#include <stdint.h>

#include <vector>

#include "host/settings/settings.h"

namespace tolvar {

// The id of the key with this code and these modifiers; never 0. repeat
// counts the keys before it in the list that have the same id (a settings
// file edited by hand may hold a key twice): each of them needs an icon of
// its own.
uint32_t TrayIconId(int32_t keyCode, uint8_t modifiers, uint32_t repeat);

// The id of every key of the list, in list order.
std::vector<uint32_t> TrayIconIds(const std::vector<KeySetting> &keys);

}  // namespace tolvar

#endif  // TOLVAR_HOST_TRAY_ICON_IDS_H
