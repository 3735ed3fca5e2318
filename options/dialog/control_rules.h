// control_rules.h - which controls of the options dialog are enabled for the
// focused row, where a row may move, and the fixed facts of the four path
// fields. Pure functions: the dialog gathers the inputs and applies results.
#ifndef TOLVAR_DIALOG_CONTROL_RULES_H
#define TOLVAR_DIALOG_CONTROL_RULES_H

#include <cstdint>

namespace tolvar {

// What the enable rules look at.
struct RowFacts {
    bool hasItem;          // a row is focused
    int index;             // its row index
    int count;             // number of rows
    bool hasIcon;          // the focused item is an icon item
    bool nextHasIcon;      // the item below it is an icon item (false when none)
    bool hasOffState;      // the focused item is a toggle key
    bool isNtPlatform;
};

struct ControlStates {
    bool iconFields;   // 1020, 1021 and their browse buttons 1024, 1025
    bool soundOn;      // 1022, 1026 and play button 1028
    bool soundOff;     // 1023, 1027 and play button 1029
    bool active;       // 1030
    bool moveUp;       // 1031
    bool moveDown;     // 1032
    bool remove;       // 1036
    bool numLockOn;    // 1009
};

ControlStates ComputeControlStates(const RowFacts &facts);

// Where the row at index moves (up or down) among count rows, or -1 when it
// may not: only icon items move, and only past icon items.
// hasIconAt(i) tells whether row i is an icon item.
template <typename HasIconAt>
int MoveTarget(int index, int count, bool up, HasIconAt hasIconAt)
{
    if (index < 0 || index >= count || !hasIconAt(index))
        return -1;
    int target = up ? index - 1 : index + 1;
    if (target < 0 || target > count - 1)
        return -1;
    if (!hasIconAt(target))
        return -1;
    return target;
}

// A sound file is accepted when its size is 1 to 99999 bytes.
bool IsSoundSizeWithinLimit(uint32_t sizeHigh, uint32_t sizeLow);

// What the sound check found about a chosen file.
enum class SoundCheck { Accepted, Unreadable, Empty, TooBig };

// The verdict on a sound file: readable tells whether it could be opened and
// its size read, and the size is then sizeHigh:sizeLow.
SoundCheck CheckSoundSize(bool readable, uint32_t sizeHigh, uint32_t sizeLow);

// The string id of the warning for a refused sound (0 for an accepted one).
int SoundWarningText(SoundCheck check);

// One of the four path fields below the list.
struct PathField {
    int fieldId;       // edit control
    int buttonId;      // its "..." button
    int titleStringId; // title of its file dialog
    bool sound;        // sound or icon
    bool on;           // on or off state
    int playButtonId;  // 0 for the icon fields
    int column;        // list column that shows it
};

// The field with this edit id or this browse button id; null for others.
const PathField *PathFieldById(int fieldId);
const PathField *PathFieldByButton(int buttonId);

} // namespace tolvar

#endif // TOLVAR_DIALOG_CONTROL_RULES_H
