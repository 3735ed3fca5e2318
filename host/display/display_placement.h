/*
 * display_placement.h - where a display goes on its monitor.
 *
 * The indication display sits centred, an eighth of the height up from the
 * bottom of the monitor's work area; the Caps Lock display sits in the
 * bottom right corner, a margin away from the edges. Both stay above a
 * taskbar that some shells leave inside the work area, and never reach out
 * of the work area: a display after a change of resolution or monitor
 * lands where a new one would.
 *
 * Platform-free, so that the rule is tested natively; the monitor (the one
 * of the focused window) is chosen by the Win32 code.
 */
#ifndef TOLVAR_HOST_DISPLAY_PLACEMENT_H
#define TOLVAR_HOST_DISPLAY_PLACEMENT_H

namespace tolvar {

struct ScreenBox {
    int left, top, right, bottom;
    bool operator==(const ScreenBox &o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

enum class DisplaySpot { kCentredLow, kCorner };

// The box of a display of width x height in the work area. taskbar: the
// shell's visible taskbar, or null.
ScreenBox PlaceDisplay(DisplaySpot spot, int width, int height, ScreenBox work,
                       const ScreenBox *taskbar, int margin);

}  // namespace tolvar

#endif  // TOLVAR_HOST_DISPLAY_PLACEMENT_H
