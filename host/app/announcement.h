/*
 * announcement.h - what a screen reader says for an indication: the key's
 * name and its new state, "Caps Lock on", "Caps Lock off", "F8 pressed".
 *
 * Platform-free, so that the text is tested natively.
 */
#ifndef TOLVAR_HOST_ANNOUNCEMENT_H
#define TOLVAR_HOST_ANNOUNCEMENT_H

#include <stdint.h>

#include <string>

#include "host/settings/settings.h"

namespace tolvar {

// state: the indicated state (1 on or down, 0 off). Control characters in
// the name are read as blanks.
std::string AnnouncementText(const KeySetting &key, int32_t state);

}  // namespace tolvar

#endif  // TOLVAR_HOST_ANNOUNCEMENT_H
