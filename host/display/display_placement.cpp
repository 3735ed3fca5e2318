// Placing the displays in a monitor's work area; their look's choices.
#include "host/display/display_placement.h"

#include <algorithm>

namespace tolvar {

namespace {

// Kept in [low, high - size] and, when the box is larger than that, at low.
int Keep(int wanted, int size, int low, int high)
{
    if (wanted > high - size)
        wanted = high - size;
    return wanted < low ? low : wanted;
}

// The column (0 left, 1 centre, 2 right) and row of an anchor.
int ColumnOf(Anchor anchor) { return static_cast<int>(anchor) % 3; }
int RowOf(Anchor anchor) { return static_cast<int>(anchor) / 3; }

// Where a length starts along one axis at edge 0, the middle (1) or edge 2.
int AlongAxis(int position, int length, int low, int high, int margin)
{
    if (position == 0)
        return low + margin;
    if (position == 2)
        return high - length - margin;
    return low + (high - low - length) / 2;
}

int Fraction(int offset, int room)
{
    if (room <= 0)
        return 0;
    const long long f = static_cast<long long>(offset) * kPlaceScale / room;
    return static_cast<int>(std::min<long long>(kPlaceScale, std::max<long long>(0, f)));
}

}  // namespace

ScreenBox UsableArea(ScreenBox work, const ScreenBox *taskbar)
{
    if (!taskbar)
        return work;
    const ScreenBox &t = *taskbar;
    const bool acrossWidth = t.left <= work.left && t.right >= work.right;
    const bool acrossHeight = t.top <= work.top && t.bottom >= work.bottom;
    if (acrossWidth && t.top > work.top && t.top < work.bottom && t.bottom >= work.bottom)
        work.bottom = t.top;
    else if (acrossWidth && t.bottom < work.bottom && t.bottom > work.top && t.top <= work.top)
        work.top = t.bottom;
    else if (acrossHeight && t.left > work.left && t.left < work.right && t.right >= work.right)
        work.right = t.left;
    else if (acrossHeight && t.right < work.right && t.right > work.left && t.left <= work.left)
        work.left = t.right;
    return work;
}

ScreenBox PlaceAtAnchor(Anchor anchor, int offsetXPercent, int offsetYPercent, BoxSize size,
                        ScreenBox area, int margin)
{
    int left = AlongAxis(ColumnOf(anchor), size.width, area.left, area.right, margin) +
               static_cast<int>(static_cast<long long>(area.width()) * offsetXPercent / 100);
    int top = AlongAxis(RowOf(anchor), size.height, area.top, area.bottom, margin) +
              static_cast<int>(static_cast<long long>(area.height()) * offsetYPercent / 100);
    left = Keep(left, size.width, area.left, area.right);
    top = Keep(top, size.height, area.top, area.bottom);
    return {left, top, left + size.width, top + size.height};
}

ScreenBox PlaceAtFractions(int x, int y, BoxSize size, ScreenBox area)
{
    x = std::min(kPlaceScale, std::max(0, x));
    y = std::min(kPlaceScale, std::max(0, y));
    const int roomX = std::max(0, area.width() - size.width);
    const int roomY = std::max(0, area.height() - size.height);
    const int left = area.left + static_cast<int>(static_cast<long long>(roomX) * x / kPlaceScale);
    const int top = area.top + static_cast<int>(static_cast<long long>(roomY) * y / kPlaceScale);
    return {left, top, left + size.width, top + size.height};
}

void FractionsOf(ScreenBox box, ScreenBox area, int *x, int *y)
{
    *x = Fraction(box.left - area.left, area.width() - box.width());
    *y = Fraction(box.top - area.top, area.height() - box.height());
}

std::string MonitorLayoutId(std::vector<ScreenBox> monitors)
{
    std::sort(monitors.begin(), monitors.end(), [](const ScreenBox &a, const ScreenBox &b) {
        if (a.left != b.left)
            return a.left < b.left;
        if (a.top != b.top)
            return a.top < b.top;
        if (a.right != b.right)
            return a.right < b.right;
        return a.bottom < b.bottom;
    });
    std::string id;
    for (const ScreenBox &m : monitors) {
        if (!id.empty())
            id += ";";
        id += std::to_string(m.left) + "," + std::to_string(m.top) + "," + std::to_string(m.width()) + "x" +
              std::to_string(m.height());
    }
    return id;
}

std::vector<ScreenBox> StackInCorner(Anchor corner, const std::vector<BoxSize> &sizes, ScreenBox area,
                                     int margin, int gap)
{
    const int column = ColumnOf(corner), row = RowOf(corner);
    // Columns grow inward from the corner's side (from the middle: right).
    const int inward = column == 2 ? -1 : 1;
    // Boxes grow away from the corner's edge (from the middle row: down).
    const bool upward = row == 2;
    std::vector<ScreenBox> boxes;
    int columnEdge = column == 2 ? area.right - margin : area.left + margin;  // outer edge
    if (column == 1) {
        int widest = 0;
        for (const BoxSize &s : sizes)
            widest = std::max(widest, s.width);
        columnEdge = area.left + (area.width() - widest) / 2;
    }
    int columnWidth = 0;
    int next = row == 2 ? area.bottom - margin : row == 0 ? area.top + margin : area.top + area.height() / 2;
    const int start = next;
    for (const BoxSize &s : sizes) {
        const bool fits = upward ? next - s.height >= area.top : next + s.height <= area.bottom;
        if (!boxes.empty() && !fits) {
            columnEdge += inward * (columnWidth + gap);
            columnWidth = 0;
            next = start;
        }
        int left = inward > 0 ? columnEdge : columnEdge - s.width;
        int top = upward ? next - s.height : next;
        left = Keep(left, s.width, area.left, area.right);
        top = Keep(top, s.height, area.top, area.bottom);
        boxes.push_back({left, top, left + s.width, top + s.height});
        next = upward ? top - gap : top + s.height + gap;
        columnWidth = std::max(columnWidth, s.width);
    }
    return boxes;
}

Palette ChoosePalette(ThemeChoice choice, int appsUseLightTheme, bool highContrast)
{
    if (highContrast)
        return Palette::kHighContrast;
    if (choice == ThemeChoice::kDark)
        return Palette::kDark;
    if (choice == ThemeChoice::kLight)
        return Palette::kLight;
    return appsUseLightTheme == 0 ? Palette::kDark : Palette::kLight;
}

int SizePercent(DisplaySize size)
{
    return size == DisplaySize::kSmall ? 75 : size == DisplaySize::kLarge ? 140 : 100;
}

bool CoversMonitor(ScreenBox window, ScreenBox monitor)
{
    return window.left <= monitor.left && window.top <= monitor.top && window.right >= monitor.right &&
           window.bottom >= monitor.bottom;
}

bool IndicatorStays(Stays stays, bool on)
{
    return stays == Stays::kWhileOn ? on : stays == Stays::kWhileOff ? !on : false;
}

bool DisplaysState(const KeyDisplay &shown, bool on)
{
    return on ? shown.displayOn : shown.displayOff;
}

}  // namespace tolvar
