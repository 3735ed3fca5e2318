// list_layout.h - column widths and cell texts of the key list.
#ifndef TOLVAR_DIALOG_LIST_LAYOUT_H
#define TOLVAR_DIALOG_LIST_LAYOUT_H

#include "include/tolvar/tolvar_host.h"
#include "options/dialog/text_cuts.h"

namespace tolvar {

enum { kKeyListColumnCount = 6 };

// number * numerator / denominator rounded to the nearest integer, halves
// away from zero, as the platform's MulDiv; -1 when denominator is 0 or the
// result does not fit in 32 bits.
int MulDivRounded(int number, int numerator, int denominator);

// Widths of the six columns for a list whose client area is clientWidth
// wide: "Key" gets 24 %, the four file columns 17 % each, "Active" the rest,
// so the widths always add up to clientWidth.
void ComputeColumnWidths(int clientWidth, int widths[kKeyListColumnCount]);

// The width the columns may fill in a list whose client area, without any
// scroll bar, is bareWidth x bareHeight: all of it while the rows fit below
// the header, else all but the vertical scroll bar's width, so that no
// horizontal scroll bar comes with the vertical one.
int ColumnRoomWidth(int bareWidth, int bareHeight, int headerHeight, int rowHeight, int rows,
                    int scrollBarWidth);

// The texts a cell may show besides a file name.
struct CellTexts {
    const char *notApplicable; // "N/A"
    const char *defaultText;   // "Default"
};

// The text of an icon cell (sound false) or a sound cell (sound true) for the
// on or off state of item: "N/A" where the cell does not apply, otherwise
// the file part of the path, or "Default" for an empty one. The result points
// into item or texts.
const char *CellTextFor(const KeyItem &item, bool on, bool sound, const CellTexts &texts,
                        LeadBytePredicate isLeadByte);

} // namespace tolvar

#endif // TOLVAR_DIALOG_LIST_LAYOUT_H
