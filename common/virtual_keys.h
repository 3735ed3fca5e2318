// virtual_keys.h - the virtual-key codes that the platform-free rules of both
// libraries refer to, with the values of <windows.h>, so that those rules
// need no platform header.
#ifndef TOLVAR_COMMON_VIRTUAL_KEYS_H
#define TOLVAR_COMMON_VIRTUAL_KEYS_H

#include <stdint.h>

namespace tolvar {

enum VirtualKey : int32_t {
    kVkTab = 0x09,
    kVkReturn = 0x0D,
    kVkShift = 0x10,
    kVkControl = 0x11,
    kVkMenu = 0x12,
    kVkCapital = 0x14,
    kVkEscape = 0x1B,
    kVkNumLock = 0x90,
    kVkScroll = 0x91,
    kVkLShift = 0xA0,
    kVkRShift = 0xA1,
    kVkLControl = 0xA2,
    kVkRControl = 0xA3,
    kVkLMenu = 0xA4,
    kVkRMenu = 0xA5,
};

} // namespace tolvar

#endif
