// The Display window's controls and the settings they stand for.
#include "host/display/display_choices.h"

#include <math.h>
#include <stdlib.h>

namespace tolvar {

const char *const kMonitorTexts[kMonitorChoices] = {
    "The focused window's", "The mouse pointer's", "The primary one", "All monitors"};
const char *const kAnchorTexts[kAnchors] = {
    "Top left",    "Top",    "Top right",    "Left", "Centre", "Right",
    "Bottom left", "Bottom", "Bottom right",
};
const char *const kSizeTexts[kDisplaySizes] = {"Small", "Medium", "Large"};
const char *const kThemeTexts[kThemeChoices] = {"Follow the system", "Dark", "Light"};
const char *const kStaysTexts[kStaysChoices] = {"Never", "While on", "While off"};
const char *const kTrayTexts[kTrayShows] = {"Always", "While on", "Never"};
const char *const kDragToPlaceText = "Drag to place";
const char *const kCornerTexts[kCorners] = {"Top left", "Top right", "Bottom left", "Bottom right"};

namespace {

const Anchor kCornerAnchors[kCorners] = {Anchor::kTopLeft, Anchor::kTopRight, Anchor::kBottomLeft,
                                         Anchor::kBottomRight};

std::string Trimmed(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

int PositionIndex(const DisplaySettings &display)
{
    return display.dragged ? kAnchors : static_cast<int>(display.anchor);
}

bool SetPosition(int index, DisplaySettings *display)
{
    if (index < 0 || index >= kPositionChoices)
        return false;
    display->dragged = index == kAnchors;
    if (!display->dragged)
        display->anchor = static_cast<Anchor>(index);
    return true;
}

int CornerIndex(Anchor corner)
{
    for (int i = 0; i < kCorners; ++i)
        if (kCornerAnchors[i] == corner)
            return i;
    return kCorners - 1;
}

bool CornerAt(int index, Anchor *corner)
{
    if (index < 0 || index >= kCorners)
        return false;
    *corner = kCornerAnchors[index];
    return true;
}

std::string DurationText(int ms)
{
    const int tenths = (ms + 50) / 100;
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10)
        text += "." + std::to_string(tenths % 10);
    return text;
}

bool ParseDuration(const std::string &typed, int *ms)
{
    std::string text = Trimmed(typed);
    if (!text.empty() && (text.back() == 's' || text.back() == 'S'))
        text = Trimmed(text.substr(0, text.size() - 1));
    // Digits with at most one decimal mark, either a point or a comma.
    int marks = 0, digits = 0;
    for (char &c : text) {
        if (c == ',' || c == '.') {
            c = '.';
            ++marks;
        } else if (c >= '0' && c <= '9') {
            ++digits;
        } else {
            return false;
        }
    }
    if (digits == 0 || digits > 6 || marks > 1)
        return false;
    const double steps = floor(atof(text.c_str()) * 1000.0 / kDurationStepMs + 0.5);
    *ms = (steps < 1 ? 1 : steps > kDurationSteps ? kDurationSteps : static_cast<int>(steps)) * kDurationStepMs;
    return true;
}

int DurationStep(int ms)
{
    const int step = (ms + kDurationStepMs / 2) / kDurationStepMs;
    return step < 1 ? 1 : step > kDurationSteps ? kDurationSteps : step;
}

bool ParseOffset(const std::string &typed, int *percent)
{
    std::string text = Trimmed(typed);
    if (!text.empty() && text.back() == '%')
        text = Trimmed(text.substr(0, text.size() - 1));
    size_t at = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        at = 1;
    }
    if (at >= text.size() || text.size() - at > 3)
        return false;
    int value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9')
            return false;
        value = value * 10 + (text[at] - '0');
    }
    if (value > kMaxOffsetPercent)
        value = kMaxOffsetPercent;
    *percent = negative ? -value : value;
    return true;
}

std::string StatesText(bool on, bool off, bool toggles)
{
    if (!toggles)
        return on ? "Press" : "Never";
    if (on && off)
        return "On, off";
    return on ? "On" : off ? "Off" : "Never";
}

Settings WithDisplayChoices(const Settings &current, const Settings &draft)
{
    Settings next = current;
    next.showDisplay = draft.showDisplay;
    next.displayMs = draft.displayMs;
    next.display = draft.display;
    TakeKeyDisplays(draft, &next);
    return next;
}

}  // namespace tolvar
