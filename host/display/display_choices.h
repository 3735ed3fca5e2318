/*
 * display_choices.h - the Display window's controls and the settings they
 * stand for: the texts of its lists in the order of their choices, the
 * duration as the seconds typed, the summary of each key's choices, and
 * what a draft of the window changes in the settings in effect.
 *
 * Platform-free, so that the rules are tested natively.
 */
#ifndef TOLVAR_HOST_DISPLAY_CHOICES_H
#define TOLVAR_HOST_DISPLAY_CHOICES_H

#include <string>

#include "host/display/display_settings.h"
#include "host/settings/settings.h"

namespace tolvar {

// The texts of the lists, in the order of their enums.
extern const char *const kMonitorTexts[kMonitorChoices];
extern const char *const kAnchorTexts[kAnchors];
extern const char *const kSizeTexts[kDisplaySizes];
extern const char *const kThemeTexts[kThemeChoices];
extern const char *const kStaysTexts[kStaysChoices];
extern const char *const kTrayTexts[kTrayShows];

// The Position list: the nine anchors, then "Drag to place" (dragged).
const int kPositionChoices = kAnchors + 1;
extern const char *const kDragToPlaceText;
int PositionIndex(const DisplaySettings &display);
// False for an index outside the list.
bool SetPosition(int index, DisplaySettings *display);

// The corners the indicators that stay can stack in, top left first.
const int kCorners = 4;
extern const char *const kCornerTexts[kCorners];
// The index of a corner; an anchor that is no corner counts as the bottom
// right one.
int CornerIndex(Anchor corner);
bool CornerAt(int index, Anchor *corner);

// The duration as the window offers it: half seconds from
// kShortestDisplayMs to kMaxDisplayMs.
const int kDurationStepMs = 500;
const int kDurationSteps = kMaxDisplayMs / kDurationStepMs;  // the longest, in steps
// The seconds with at most one decimal ("1.5", "10", "0.3").
std::string DurationText(int ms);
// Seconds typed by the user ("2", "1.5", "1,5", " 3 s"): the nearest half
// second, kept within the window's range. False for anything but a number.
bool ParseDuration(const std::string &text, int *ms);
// The duration in steps, rounded and kept within 1..kDurationSteps.
int DurationStep(int ms);

// An offset as typed ("-12", "+5", "7 %"): whole percent, kept within
// -kMaxOffsetPercent..kMaxOffsetPercent. False for anything else.
bool ParseOffset(const std::string &text, int *percent);

// When a key shows something, for the columns of the key list: a key with
// a state that stays "On, off", "On", "Off" or "Never"; any other key is
// indicated when pressed only: "Press" or "Never".
std::string StatesText(bool on, bool off, bool toggles);

// The settings in effect with the window's choices from the draft: the
// on-screen display, its duration, the display's choices and, for each key
// that the draft also lists (by key code and modifiers, in order), its
// choices. Everything else stays as in effect, so that keys changed in the
// options meanwhile are kept.
Settings WithDisplayChoices(const Settings &current, const Settings &draft);

}  // namespace tolvar

#endif  // TOLVAR_HOST_DISPLAY_CHOICES_H
