// Placing a display in a monitor's work area.
#include "host/display/display_placement.h"

namespace tolvar {

namespace {

// Counted from the far edge, but kept in [low, high - size] and, when the
// box is larger than that, at low.
int Keep(int wanted, int size, int low, int high)
{
    if (wanted > high - size)
        wanted = high - size;
    return wanted < low ? low : wanted;
}

}  // namespace

ScreenBox PlaceDisplay(DisplaySpot spot, int width, int height, ScreenBox work,
                       const ScreenBox *taskbar, int margin)
{
    // A taskbar across the bottom of the work area, inside it.
    if (taskbar && taskbar->top > work.top && taskbar->top < work.bottom &&
        taskbar->bottom >= work.bottom && taskbar->left <= work.left && taskbar->right >= work.right)
        work.bottom = taskbar->top;
    int left, top;
    if (spot == DisplaySpot::kCentredLow) {
        left = work.left + (work.right - work.left - width) / 2;
        top = work.bottom - height - (work.bottom - work.top) / 8;
    } else {
        left = work.right - width - margin;
        top = work.bottom - height - margin;
    }
    left = Keep(left, width, work.left, work.right);
    top = Keep(top, height, work.top, work.bottom);
    return {left, top, left + width, top + height};
}

}  // namespace tolvar
