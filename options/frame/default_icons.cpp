#include "options/frame/default_icons.h"

namespace tolvar {

int DefaultStateIconId(int32_t keyCode, bool on)
{
    int base;
    switch (keyCode) {
    case 20: base = 2000; break;  // VK_CAPITAL
    case 144: base = 3000; break; // VK_NUMLOCK
    case 145: base = 4000; break; // VK_SCROLL
    default: return 0;
    }
    return on ? base : base + 1;
}

} // namespace tolvar
