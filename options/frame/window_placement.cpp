#include "options/frame/window_placement.h"

#include <cstdint>

namespace tolvar {

WindowOrigin CenteredOrigin(int refWidth, int refHeight, int width, int height)
{
    // The differences are taken in 64 bits so that extreme sizes cannot
    // overflow; the quotients always fit back into an int.
    int64_t freeWidth = static_cast<int64_t>(refWidth) - width;
    int64_t freeHeight = static_cast<int64_t>(refHeight) - height;
    return WindowOrigin{static_cast<int>(freeWidth / 2), static_cast<int>(freeHeight / 3)};
}

} // namespace tolvar
