// The look of the tray's default icons.
#include "host/tray/tray_theme.h"

#include "host/resources/resource_ids.h"

namespace tolvar {

TrayLook ChooseTrayLook(bool highContrast, bool hasLightValue, uint32_t lightValue)
{
    if (highContrast)
        return TrayLook::kHighContrast;
    return hasLightValue && lightValue == 1 ? TrayLook::kLight : TrayLook::kDark;
}

int TrayIconResource(int defaultIconId, TrayLook look)
{
    int key = 0, state = 0;
    switch (defaultIconId) {
    case IDI_CAPS_ON: key = 0; state = 0; break;
    case IDI_CAPS_OFF: key = 0; state = 1; break;
    case IDI_NUM_ON: key = 1; state = 0; break;
    case IDI_NUM_OFF: key = 1; state = 1; break;
    case IDI_SCROLL_ON: key = 2; state = 0; break;
    case IDI_SCROLL_OFF: key = 2; state = 1; break;
    case IDI_PROGRAM: key = 3; state = 0; break;
    default: return defaultIconId;
    }
    return IDI_TRAY_FIRST + static_cast<int>(look) * IDI_TRAY_LOOK_STEP + key * IDI_TRAY_KEY_STEP + state;
}

}  // namespace tolvar
