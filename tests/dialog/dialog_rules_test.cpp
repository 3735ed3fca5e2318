// Native tests of the options dialog's platform-free rules: path and name
// cuts, column widths, cell texts, enable rules, moves, the sound size limit,
// the import checks and the disabled glyph.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "options/dialog/control_rules.h"
#include "options/dialog/etched_glyph.h"
#include "options/dialog/item_import.h"
#include "options/dialog/list_layout.h"
#include "options/dialog/text_cuts.h"
#include "options/resources/resource_ids.h"

namespace tolvar {
namespace {

// Shift-JIS lead bytes: their trail byte may be 0x5C, the backslash.
bool ShiftJisLead(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// An invented code page whose trail bytes include '.', to test the dot cut.
bool DotTrailLead(unsigned char b)
{
    return b == 0xA0;
}

TEST(TextCuts, FilePart)
{
    struct Case {
        const char *label;
        const char *path;
        LeadBytePredicate lead;
        const char *expected;
    } cases[] = {
        {"plain path", "C:\\Icons\\caps.on.ico", NoLeadBytes, "caps.on.ico"},
        {"no backslash", "caps.ico", NoLeadBytes, "caps.ico"},
        {"empty", "", NoLeadBytes, ""},
        {"trailing backslash", "C:\\Icons\\", NoLeadBytes, ""},
        {"root file", "\\a", NoLeadBytes, "a"},
        // 0x95 0x5C is one character; its trail byte is not a separator.
        {"dbcs trail is backslash", "C:\\d\\\x95\x5c.wav", ShiftJisLead, "\x95\x5c.wav"},
        {"same bytes, single-byte page", "C:\\d\\\x95\x5c.wav", NoLeadBytes, ".wav"},
        {"dbcs folder name", "C:\\\x95\x5c\\x.wav", ShiftJisLead, "x.wav"},
        {"lead byte at the end", "C:\\d\\x\x95", ShiftJisLead, "x\x95"},
    };
    for (const Case &c : cases)
        EXPECT_STREQ(c.expected, FilePart(c.path, c.lead)) << c.label;
}

TEST(TextCuts, LengthBeforeLastDot)
{
    struct Case {
        const char *label;
        const char *text;
        LeadBytePredicate lead;
        size_t expected;
    } cases[] = {
        {"two dots", "caps.on.wav", NoLeadBytes, 7},
        {"one dot", "my.wav", NoLeadBytes, 2},
        {"no dot", "Default", NoLeadBytes, 7},
        {"empty", "", NoLeadBytes, 0},
        {"ends in full stop", "Ctrl + .", NoLeadBytes, 7},
        {"only a dot", ".", NoLeadBytes, 0},
        {"trail byte is a dot", "ab\xA0.cd", DotTrailLead, 6},
        {"same bytes, single-byte page", "ab\xA0.cd", NoLeadBytes, 3},
        {"real dot after dbcs", "\xA0.x.wav", DotTrailLead, 3},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, LengthBeforeLastDot(c.text, c.lead)) << c.label;
}

TEST(ListLayout, MulDivRoundsLikeThePlatform)
{
    struct Case {
        int a, b, c, expected;
    } cases[] = {
        {100, 24, 100, 24},   {625, 24, 100, 150}, {627, 17, 100, 107}, // 106.59
        {650, 17, 100, 111},                                            // 110.5 rounds up
        {-650, 17, 100, -111},                                          // half away from zero
        {3, 1, 2, 2},         {-3, 1, 2, -2},      {5, 1, 0, -1},
        {0x7FFFFFFF, 2, 1, -1},                                         // overflow
        {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},               // wide product
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, MulDivRounded(c.a, c.b, c.c)) << c.a << "*" << c.b << "/" << c.c;
}

TEST(ListLayout, ColumnWidthsAddUpToClientWidth)
{
    struct Case {
        int width;
        int key, file, active;
    } cases[] = {
        {100, 24, 17, 8},
        {617, 148, 105, 49},   // 148.08, 104.89
        {650, 156, 111, 50},   // 110.5 -> 111
        {0, 0, 0, 0},
        {1, 0, 0, 1},
    };
    for (const Case &c : cases) {
        int w[kKeyListColumnCount];
        ComputeColumnWidths(c.width, w);
        EXPECT_EQ(c.key, w[0]) << c.width;
        for (int i = 1; i <= 4; ++i)
            EXPECT_EQ(c.file, w[i]) << c.width << " column " << i;
        EXPECT_EQ(c.active, w[5]) << c.width;
        int sum = 0;
        for (int x : w)
            sum += x;
        EXPECT_EQ(c.width, sum);
    }
}

TEST(ListLayout, ColumnsLeaveRoomForTheVerticalScrollBarWhenRowsOverflow)
{
    // A list of 617 x 148 pixels without scroll bars, a 20-pixel header,
    // 16-pixel rows and a 17-pixel scroll bar: eight rows fit.
    struct Case {
        const char *label;
        int rows, expected;
    } cases[] = {
        {"no rows", 0, 617},
        {"rows that fit exactly", 8, 617},
        {"one row too many", 9, 600},
        {"many rows", 1000, 600},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, ColumnRoomWidth(617, 148, 20, 16, c.rows, 17)) << c.label;
    EXPECT_EQ(0, ColumnRoomWidth(10, 148, 20, 16, 50, 17)) << "never below zero";
}

KeyItem MakeItem(int hasIcon, int hasOffState)
{
    KeyItem item;
    std::memset(&item, 0, sizeof item);
    item.hasIcon = hasIcon;
    item.hasOffState = hasOffState;
    std::strcpy(item.iconOnPath, "C:\\Icons\\caps.on.ico");
    std::strcpy(item.iconOffPath, "C:\\Icons\\caps.off.ico");
    std::strcpy(item.soundOnPath, "on.wav");
    std::strcpy(item.soundOffPath, "");
    return item;
}

TEST(ListLayout, CellTexts)
{
    const CellTexts texts = {"N/A", "Default"};
    struct Case {
        const char *label;
        int hasIcon, hasOffState;
        bool on, sound;
        const char *expected;
    } cases[] = {
        {"icon on, icon item", 1, 1, true, false, "caps.on.ico"},
        {"icon off, toggle", 1, 1, false, false, "caps.off.ico"},
        {"icon off, no off state", 1, 0, false, false, "N/A"},
        {"icon on, no icon", 0, 1, true, false, "N/A"},
        {"icon off, no icon", 0, 1, false, false, "N/A"},
        {"sound on, no icon", 0, 0, true, true, "on.wav"},
        {"sound off, no off state", 1, 0, false, true, "N/A"},
        {"sound off, empty path", 1, 1, false, true, "Default"},
        {"sound off, no icon but off state", 0, 1, false, true, "Default"},
    };
    for (const Case &c : cases) {
        KeyItem item = MakeItem(c.hasIcon, c.hasOffState);
        EXPECT_STREQ(c.expected, CellTextFor(item, c.on, c.sound, texts, NoLeadBytes)) << c.label;
    }

    KeyItem item = MakeItem(1, 1);
    std::strcpy(item.soundOnPath, "C:\\Sounds\\");
    EXPECT_STREQ("Default", CellTextFor(item, true, true, texts, NoLeadBytes))
        << "a folder without a file reads Default";
}

TEST(ControlRules, EnableRules)
{
    struct Case {
        const char *label;
        RowFacts f;
        ControlStates s; // iconFields soundOn soundOff active up down remove numLock
    } cases[] = {
        {"no row", {false, -1, 3, false, false, false, true},
         {false, false, false, false, false, false, false, true}},
        {"no row, not NT", {false, -1, 0, false, false, false, false},
         {false, false, false, false, false, false, false, false}},
        {"first toggle icon row", {true, 0, 5, true, true, true, true},
         {true, true, true, true, false, true, false, true}},
        {"middle icon row", {true, 1, 5, true, true, true, true},
         {true, true, true, true, true, true, false, true}},
        {"last icon row", {true, 2, 3, true, false, true, true},
         {true, true, true, true, true, false, false, true}},
        {"icon row above a plain row", {true, 2, 5, true, false, false, true},
         {true, true, true, true, true, false, true, true}},
        {"plain row", {true, 3, 5, false, false, false, true},
         {false, true, false, true, false, false, true, true}},
        {"only row", {true, 0, 1, true, false, true, false},
         {true, true, true, true, false, false, false, false}},
    };
    for (const Case &c : cases) {
        ControlStates s = ComputeControlStates(c.f);
        EXPECT_EQ(c.s.iconFields, s.iconFields) << c.label;
        EXPECT_EQ(c.s.soundOn, s.soundOn) << c.label;
        EXPECT_EQ(c.s.soundOff, s.soundOff) << c.label;
        EXPECT_EQ(c.s.active, s.active) << c.label;
        EXPECT_EQ(c.s.moveUp, s.moveUp) << c.label;
        EXPECT_EQ(c.s.moveDown, s.moveDown) << c.label;
        EXPECT_EQ(c.s.remove, s.remove) << c.label;
        EXPECT_EQ(c.s.numLockOn, s.numLockOn) << c.label;
    }
}

TEST(ControlRules, MoveTarget)
{
    // Rows: three icon items, then two plain ones.
    const std::vector<bool> icons = {true, true, true, false, false};
    auto hasIcon = [&](int i) { return static_cast<bool>(icons[i]); };
    const int n = static_cast<int>(icons.size());
    struct Case {
        const char *label;
        int index;
        bool up;
        int expected;
    } cases[] = {
        {"up from the middle", 1, true, 0},    {"down from the middle", 1, false, 2},
        {"up from the first", 0, true, -1},    {"down into a plain row", 2, false, -1},
        {"plain row up", 3, true, -1},         {"plain row down", 3, false, -1},
        {"last row down", 4, false, -1},       {"no row", -1, true, -1},
        {"index past the end", 5, true, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, MoveTarget(c.index, n, c.up, hasIcon)) << c.label;

    // The row above a non-icon row is not examined by the enable rule, but
    // the move itself refuses it.
    const std::vector<bool> mixed = {false, true};
    auto mixedIcon = [&](int i) { return static_cast<bool>(mixed[i]); };
    EXPECT_EQ(-1, MoveTarget(1, 2, true, mixedIcon));
}

TEST(ControlRules, SoundSizeLimit)
{
    using S = SoundCheck;
    struct Case {
        bool readable;
        uint32_t high, low;
        SoundCheck verdict;
        int warning;
    } cases[] = {
        {true, 0, 0, S::Empty, IDS_SOUND_EMPTY},
        {true, 0, 1, S::Accepted, 0},
        {true, 0, 99999, S::Accepted, 0},
        {true, 0, 100000, S::TooBig, IDS_SOUND_TOO_BIG},
        {true, 0, 0xFFFFFFFF, S::TooBig, IDS_SOUND_TOO_BIG},
        {true, 1, 10, S::TooBig, IDS_SOUND_TOO_BIG},
        {true, 1, 0, S::TooBig, IDS_SOUND_TOO_BIG},
        {false, 0, 0, S::Unreadable, IDS_SOUND_UNREADABLE},
        {false, 0, 500, S::Unreadable, IDS_SOUND_UNREADABLE},
    };
    for (const Case &c : cases) {
        const SoundCheck verdict = CheckSoundSize(c.readable, c.high, c.low);
        EXPECT_EQ(c.verdict, verdict) << c.readable << " " << c.high << ":" << c.low;
        EXPECT_EQ(c.verdict == S::Accepted, IsSoundSizeWithinLimit(c.high, c.low) && c.readable);
        EXPECT_EQ(c.warning, SoundWarningText(verdict)) << c.high << ":" << c.low;
    }
}

TEST(ControlRules, PathFieldTable)
{
    struct Case {
        int field, button, title, play, column;
        bool sound, on;
    } cases[] = {
        {IDC_ICON_ON_PATH, IDC_BROWSE_ICON_ON, IDS_SELECT_ON_ICON, 0, 1, false, true},
        {IDC_ICON_OFF_PATH, IDC_BROWSE_ICON_OFF, IDS_SELECT_OFF_ICON, 0, 2, false, false},
        {IDC_SOUND_ON_PATH, IDC_BROWSE_SOUND_ON, IDS_SELECT_ON_SOUND, IDC_PLAY_SOUND_ON, 3, true, true},
        {IDC_SOUND_OFF_PATH, IDC_BROWSE_SOUND_OFF, IDS_SELECT_OFF_SOUND, IDC_PLAY_SOUND_OFF, 4, true,
         false},
    };
    for (const Case &c : cases) {
        const PathField *byId = PathFieldById(c.field);
        ASSERT_NE(nullptr, byId) << c.field;
        EXPECT_EQ(byId, PathFieldByButton(c.button)) << c.field;
        EXPECT_EQ(c.field + 4, c.button) << "browse button follows its field";
        EXPECT_EQ(c.title, byId->titleStringId) << c.field;
        EXPECT_EQ(c.play, byId->playButtonId) << c.field;
        EXPECT_EQ(c.column, byId->column) << c.field;
        EXPECT_EQ(c.sound, byId->sound) << c.field;
        EXPECT_EQ(c.on, byId->on) << c.field;
    }
    for (int other : {0, 1019, 1028, IDC_ACTIVE, 1024 - 5})
        EXPECT_EQ(nullptr, PathFieldById(other)) << other;
    for (int other : {0, 1020, 1023, 1028})
        EXPECT_EQ(nullptr, PathFieldByButton(other)) << other;
}

TEST(ItemImport, ReadsOnlyTheItemsTheBlockHolds)
{
    const uint64_t slot0 = 24, slot1 = 24 + 1190;
    struct Case {
        const char *label;
        uint32_t itemCount;
        bool hasAddress;
        uint64_t offset;
        uint32_t capacity;
        bool importable;
        uint32_t count;
    } cases[] = {
        {"no items, no address", 0, false, 0, 0, true, 0},
        {"no items, an address", 0, true, slot0, 3, true, 0},
        {"as many as the block holds", 3, true, slot0, 3, true, 3},
        {"fewer than the block holds", 2, true, slot0, 3, true, 2},
        {"counted but no address", 1, false, 0, 3, false, 0},
        {"a huge count without address", 0xFFFFFFFFu, false, 0, 3, false, 0},
        {"count raised past the block", 43, true, slot0, 3, true, 3},
        {"a huge count", 0xFFFFFFFFu, true, slot0, 3, true, 3},
        {"from the second slot", 3, true, slot1, 3, true, 2},
        {"past the last slot", 1, true, 24 + 3 * 1190, 3, false, 0},
        {"inside the header", 1, true, 4, 3, false, 0},
        {"between two slots", 1, true, slot0 + 10, 3, false, 0},
        {"before the block", 1, true, 0xFFFFFFFFull - 1165, 3, false, 0},
        {"a block without slots", 1, true, slot0, 0, false, 0},
    };
    for (const Case &c : cases) {
        uint32_t count = 77;
        EXPECT_EQ(c.importable, ImportableItemCount(c.itemCount, c.hasAddress, c.offset, c.capacity,
                                                    &count))
            << c.label;
        EXPECT_EQ(c.count, count) << c.label;
    }
}

TEST(ItemImport, UnterminatedFieldsAreTerminatedInside)
{
    // A record whose every string field is full of 'x' with no terminator.
    std::vector<unsigned char> raw(sizeof(KeyItem), 'x');
    KeyItem item;
    CopyImportedItem(&item, raw.data());
    struct Field {
        const char *label;
        const char *text;
        size_t size;
    } fields[] = {
        {"keyName", item.keyName, sizeof item.keyName},
        {"soundOnPath", item.soundOnPath, sizeof item.soundOnPath},
        {"soundOffPath", item.soundOffPath, sizeof item.soundOffPath},
        {"iconOnPath", item.iconOnPath, sizeof item.iconOnPath},
        {"iconOffPath", item.iconOffPath, sizeof item.iconOffPath},
    };
    for (const Field &f : fields)
        EXPECT_EQ(f.size - 1, std::strlen(f.text)) << f.label;
    // The integer fields are copied as they were.
    int32_t xxxx;
    std::memset(&xxxx, 'x', sizeof xxxx);
    EXPECT_EQ(xxxx, +item.active);
    EXPECT_EQ(xxxx, +item.keyCode);
    EXPECT_EQ(xxxx, +item.hasIcon);
    EXPECT_EQ(xxxx, +item.hasOffState);
    EXPECT_EQ('x', +item.modifiers);
}

TEST(ItemImport, TerminatedFieldsAreCopiedUnchanged)
{
    KeyItem source;
    std::memset(&source, 0x55, sizeof source);
    std::strcpy(source.keyName, "Caps Lock");
    source.soundOnPath[0] = '\0';
    std::memset(source.iconOnPath, 'a', sizeof source.iconOnPath);
    source.iconOnPath[sizeof source.iconOnPath - 1] = '\0'; // exactly full
    std::strcpy(source.soundOffPath, "b");
    std::strcpy(source.iconOffPath, "c");
    KeyItem item;
    CopyImportedItem(&item, &source);
    EXPECT_EQ(0, std::memcmp(&item, &source, sizeof item));
}

TEST(EtchedGlyph, SmallPatterns)
{
    // Legend: '#' ink, '.' none; expected: 'H' highlight, 'S' shadow, '.' face.
    struct Pattern {
        const char *label;
        int w, h;
        const char *ink;
        const char *expected;
    } patterns[] = {
        {"one ink pixel in the middle", 3, 3,
         "..." ".#." "...",
         "S.." ".H." "..."},
        {"ink on the last row and column", 2, 2,
         ".#" "##",
         "SH" "HH"},
        {"a 2x2 block", 4, 4,
         "...." ".##." ".##." "....",
         "SS.." "S.H." ".HH." "...."},
        {"no ink", 2, 2, "....", "...."},
        {"one row: no shadow on the last row", 3, 1, "#.#", "H.H"},
    };
    for (const Pattern &p : patterns) {
        const int n = p.w * p.h;
        std::unique_ptr<bool[]> ink(new bool[n]);
        for (int i = 0; i < n; ++i)
            ink[i] = p.ink[i] == '#';
        std::vector<EtchColour> out(n);
        ComputeEtchedGlyph(p.w, p.h, ink.get(), out.data());
        std::string got;
        for (EtchColour c : out)
            got += c == EtchColour::Highlight ? 'H' : c == EtchColour::Shadow ? 'S' : '.';
        EXPECT_EQ(p.expected, got) << p.label;
    }
}

TEST(EtchedGlyph, PlayTriangleUsesOnlyEdges)
{
    // The 16 x 16 play glyph: black from column 2 to c[r] on rows 2..12.
    const int ends[] = {3, 5, 7, 9, 11, 12, 11, 9, 7, 5, 3};
    bool ink[256] = {};
    for (int r = 2; r <= 12; ++r)
        for (int x = 2; x <= ends[r - 2]; ++x)
            ink[r * 16 + x] = true;
    EtchColour out[256];
    ComputeEtchedGlyph(16, 16, ink, out);
    int highlight = 0, shadow = 0;
    for (int i = 0; i < 256; ++i) {
        if (out[i] == EtchColour::Highlight) {
            ++highlight;
            EXPECT_TRUE(ink[i]) << "highlight only on ink, pixel " << i;
        }
        if (out[i] == EtchColour::Shadow) {
            ++shadow;
            EXPECT_FALSE(ink[i]) << "shadow only off ink, pixel " << i;
        }
    }
    // Row 1 above the triangle: shadow on columns 1..2 (lower-right of (1,1)
    // is (2,2) ink; of (2,1) is (3,2) ink; of (3,1) is (4,2) none).
    EXPECT_EQ(EtchColour::Shadow, out[1 * 16 + 1]);
    EXPECT_EQ(EtchColour::Shadow, out[1 * 16 + 2]);
    EXPECT_EQ(EtchColour::Face, out[1 * 16 + 3]);
    // The tip of the triangle (12, 7) is a highlight.
    EXPECT_EQ(EtchColour::Highlight, out[7 * 16 + 12]);
    EXPECT_GT(highlight, 0);
    EXPECT_GT(shadow, 0);
}

} // namespace
} // namespace tolvar
