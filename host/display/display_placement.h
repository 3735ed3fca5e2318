/*
 * display_placement.h - where the displays go on a monitor, and how they
 * look there.
 *
 * A display sits at one of nine points of the monitor's work area, a margin
 * in from the edges it touches, moved from there by a percentage of the
 * work area; or, once dragged, at fractions of the room the work area
 * leaves it. Either way it stays inside the work area and off a taskbar
 * that some shells leave inside it. The indicators that stay are stacked
 * in a corner, one after the other inward, never over each other.
 *
 * Platform-free, so that the rules are tested natively; the monitors, the
 * taskbar and the system's theme are read by the Win32 code.
 */
#ifndef TOLVAR_HOST_DISPLAY_PLACEMENT_H
#define TOLVAR_HOST_DISPLAY_PLACEMENT_H

#include <string>
#include <vector>

#include "host/display/display_settings.h"

namespace tolvar {

struct ScreenBox {
    int left, top, right, bottom;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const ScreenBox &o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct BoxSize {
    int width, height;
};

// The work area without a taskbar that lies inside it along one of its
// edges (taskbar: the shell's visible taskbar, or null).
ScreenBox UsableArea(ScreenBox work, const ScreenBox *taskbar);

// A display of this size at the anchor, margin in from the edges the
// anchor touches, moved by the offsets (percent of the area's width and
// height, right and down positive), kept inside the area (at its top left
// when larger than it).
ScreenBox PlaceAtAnchor(Anchor anchor, int offsetXPercent, int offsetYPercent, BoxSize size,
                        ScreenBox area, int margin);

// A display at fractions (0 to kPlaceScale) of the room the area leaves it,
// and back: the fractions of a box inside an area (a box outside counts as
// on the nearest edge).
ScreenBox PlaceAtFractions(int x, int y, BoxSize size, ScreenBox area);
void FractionsOf(ScreenBox box, ScreenBox area, int *x, int *y);

// The same text for the same monitors in any order.
std::string MonitorLayoutId(std::vector<ScreenBox> monitors);

// Boxes of these sizes stacked from the corner inward: the first in the
// corner, margin in from its edges, each next one beside the last (gap
// apart) toward the middle of the area's height; one that no longer fits
// the height starts a new column further in. Anchors that are not corners
// stack from their edge (the centre: downward from the middle).
std::vector<ScreenBox> StackInCorner(Anchor corner, const std::vector<BoxSize> &sizes, ScreenBox area,
                                     int margin, int gap);

// The display's colours.
enum class Palette { kDark, kLight, kHighContrast };
// appsUseLightTheme: the system's app theme value, or -1 when it is absent
// (Windows then shows apps light).
Palette ChoosePalette(ThemeChoice choice, int appsUseLightTheme, bool highContrast);

// The display's size as a percentage of the medium one.
int SizePercent(DisplaySize size);

// A window that covers its whole monitor (a game, a video, a presentation).
bool CoversMonitor(ScreenBox window, ScreenBox monitor);

// Whether a lock key's indicator is on screen in this state.
bool IndicatorStays(Stays stays, bool on);
// Whether a key's report in this state brings up the display.
bool DisplaysState(const KeyDisplay &shown, bool on);

}  // namespace tolvar

#endif  // TOLVAR_HOST_DISPLAY_PLACEMENT_H
