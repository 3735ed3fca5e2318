/*
 * tray_theme.h - the look of the tray's default icons: drawn for a light
 * taskbar, a dark one or high contrast, as the system shows it now.
 *
 * High contrast wins; otherwise the taskbar is light when the user's
 * personalisation says so (SystemUsesLightTheme = 1) and dark when it says
 * otherwise or says nothing (Windows 10 and 11 have a dark taskbar unless
 * the user chooses a light one; systems before them have no such value).
 * Icons the user picked from files are shown as they are.
 *
 * Platform-free, so that the rule is tested natively.
 */
#ifndef TOLVAR_HOST_TRAY_THEME_H
#define TOLVAR_HOST_TRAY_THEME_H

#include <stdint.h>

namespace tolvar {

enum class TrayLook : uint8_t { kLight, kDark, kHighContrast };

// lightValue: SystemUsesLightTheme, read when hasLightValue.
TrayLook ChooseTrayLook(bool highContrast, bool hasLightValue, uint32_t lightValue);

// The tray's resource for a key's default icon (a lock key's 2000 to 4001,
// or the program's 1) in this look; any other id as it is.
int TrayIconResource(int defaultIconId, TrayLook look);

}  // namespace tolvar

#endif  // TOLVAR_HOST_TRAY_THEME_H
