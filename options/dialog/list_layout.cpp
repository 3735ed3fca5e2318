// list_layout.cpp - column widths and cell texts of the key list.
#include "options/dialog/list_layout.h"

#include <cstdint>

namespace tolvar {

int MulDivRounded(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    int64_t half = (denominator < 0 ? -static_cast<int64_t>(denominator) : denominator) / 2;
    bool negative = (product < 0) != (denominator < 0);
    int64_t magnitude = (product < 0 ? -product : product);
    int64_t divisor = denominator < 0 ? -static_cast<int64_t>(denominator) : denominator;
    int64_t quotient = (magnitude + half) / divisor;
    if (negative)
        quotient = -quotient;
    if (quotient > INT32_MAX || quotient < INT32_MIN)
        return -1;
    return static_cast<int>(quotient);
}

void ComputeColumnWidths(int clientWidth, int widths[kKeyListColumnCount])
{
    int key = MulDivRounded(clientWidth, 24, 100);
    int file = MulDivRounded(clientWidth, 17, 100);
    widths[0] = key;
    for (int i = 1; i <= 4; ++i)
        widths[i] = file;
    widths[5] = clientWidth - 4 * file - key;
}

int ColumnRoomWidth(int bareWidth, int bareHeight, int headerHeight, int rowHeight, int rows,
                    int scrollBarWidth)
{
    const int64_t needed = static_cast<int64_t>(rows) * rowHeight;
    const bool scrolls = rows > 0 && needed > bareHeight - headerHeight;
    const int room = scrolls ? bareWidth - scrollBarWidth : bareWidth;
    return room > 0 ? room : 0;
}

const char *CellTextFor(const KeyItem &item, bool on, bool sound, const CellTexts &texts,
                        LeadBytePredicate isLeadByte)
{
    if (!sound && item.hasIcon == 0)
        return texts.notApplicable;
    const char *path;
    if (on) {
        path = sound ? item.soundOnPath : item.iconOnPath;
    } else {
        if (item.hasOffState == 0)
            return texts.notApplicable;
        path = sound ? item.soundOffPath : item.iconOffPath;
    }
    const char *part = FilePart(path, isLeadByte);
    return *part ? part : texts.defaultText;
}

} // namespace tolvar
