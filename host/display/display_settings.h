/*
 * display_settings.h - how, where and for which key the program shows what
 * it indicates: the choices of the Display window, kept in Tolvar.ini.
 *
 * The defaults are the program's look before these choices existed: the
 * display low in the middle of the focused window's monitor, every key on
 * screen, heard and in the tray, no indicator that stays.
 *
 * Platform-free, so that the rules are tested natively.
 */
#ifndef TOLVAR_HOST_DISPLAY_SETTINGS_H
#define TOLVAR_HOST_DISPLAY_SETTINGS_H

#include <stdint.h>

#include <string>
#include <vector>

namespace tolvar {

// The monitor the display appears on.
enum class MonitorChoice : uint8_t { kFocused, kPointer, kPrimary, kAll };
const int kMonitorChoices = 4;

// A point of the work area, row by row from the top left.
enum class Anchor : uint8_t {
    kTopLeft, kTop, kTopRight,
    kLeft, kCentre, kRight,
    kBottomLeft, kBottom, kBottomRight,
};
const int kAnchors = 9;
bool IsCorner(Anchor anchor);

enum class DisplaySize : uint8_t { kSmall, kMedium, kLarge };
const int kDisplaySizes = 3;

// The display's colours: those of the system's app theme, or fixed. High
// contrast, when the system has it on, wins over every choice.
enum class ThemeChoice : uint8_t { kSystem, kDark, kLight };
const int kThemeChoices = 3;

// When a key's tray icon is in the notification area.
enum class TrayShow : uint8_t { kAlways, kWhileOn, kNever };
const int kTrayShows = 3;

// When a lock key's indicator stays on screen.
enum class Stays : uint8_t { kNever, kWhileOn, kWhileOff };
const int kStaysChoices = 3;

// The lock keys that can have an indicator that stays, in this order.
const int kLockKeys = 3;
extern const int32_t kLockKeyCodes[kLockKeys];  // Caps, Num, Scroll Lock
// The index into kLockKeyCodes, or -1.
int LockKeyIndex(int32_t keyCode);

// Offsets move the display from its anchor by a percentage of the work
// area's width and height (right and down are positive).
const int kMaxOffsetPercent = 50;
const int kMinOpacityPercent = 30;
const int kDefaultOpacityPercent = 94;
// Places by dragging kept for this many monitor layouts, the latest first.
const size_t kMaxPlaces = 8;
// A dragged place, as fractions (0 to kPlaceScale) of the room the work
// area leaves the display on each axis: 0 the left or top edge,
// kPlaceScale the right or bottom one.
const int kPlaceScale = 10000;

struct DraggedPlace {
    std::string layout;  // MonitorLayoutId() of the monitors it was made on
    int x = 0, y = 0;
    bool operator==(const DraggedPlace &o) const { return layout == o.layout && x == o.x && y == o.y; }
};

struct DisplaySettings {
    MonitorChoice monitor = MonitorChoice::kFocused;
    Anchor anchor = Anchor::kBottom;
    int offsetXPercent = 0;
    int offsetYPercent = -12;  // an eighth of the height up from the bottom
    bool dragged = false;      // dragged places are used instead of the anchor
    std::vector<DraggedPlace> places;
    bool untilNextKey = false;  // instead of the duration
    DisplaySize size = DisplaySize::kMedium;
    int opacityPercent = kDefaultOpacityPercent;
    ThemeChoice theme = ThemeChoice::kSystem;
    bool fade = true;
    bool hideInFullScreen = true;
    bool announce = false;  // to screen readers
    bool splash = true;     // when started by hand
    Anchor stackCorner = Anchor::kBottomRight;  // the indicators that stay
    Stays stays[kLockKeys] = {Stays::kNever, Stays::kNever, Stays::kNever};

    bool operator==(const DisplaySettings &o) const;
};

// What one watched key shows, per state.
struct KeyDisplay {
    bool displayOn = true;   // the on-screen display when it goes on or down
    bool displayOff = true;  // ... when it goes off or up
    bool soundOn = true;
    bool soundOff = true;
    TrayShow tray = TrayShow::kAlways;
    bool operator==(const KeyDisplay &o) const
    {
        return displayOn == o.displayOn && displayOff == o.displayOff && soundOn == o.soundOn &&
               soundOff == o.soundOff && tray == o.tray;
    }
};

// The dragged place for this monitor layout, or null.
const DraggedPlace *FindPlace(const DisplaySettings &settings, const std::string &layout);
// Keeps a dragged place for the layout: the latest first, at most
// kMaxPlaces, one per layout.
void KeepPlace(DisplaySettings *settings, const DraggedPlace &place);

}  // namespace tolvar

#endif  // TOLVAR_HOST_DISPLAY_SETTINGS_H
