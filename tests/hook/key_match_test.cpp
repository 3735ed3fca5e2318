// The matching rule, the state rule and the table scan, as pure functions.
#include <gtest/gtest.h>

#include <vector>

#include "hook/key_match.h"

using namespace tolvar;

namespace {

constexpr ModifierFlags C = TV_MOD_CTRL, A = TV_MOD_ALT, S = TV_MOD_SHIFT, RC = TV_MOD_RIGHT_CTRL,
                        RA = TV_MOD_RIGHT_ALT, RS = TV_MOD_RIGHT_SHIFT, RSK = TV_MOD_RIGHT_SIDE_KEY,
                        ANY = TV_MOD_ANY_MODIFIERS;

// Held states in one letter each, in the order c a s C A S (lower case: left
// or generic, upper case: right hand); '.' means up.
ModifierStates H(const char *s)
{
    ModifierStates m{};
    for (; *s; ++s) {
        switch (*s) {
        case 'c': m.ctrlHeld = true; break;
        case 'a': m.altHeld = true; break;
        case 's': m.shiftHeld = true; break;
        case 'C': m.rightCtrlHeld = true; break;
        case 'A': m.rightAltHeld = true; break;
        case 'S': m.rightShiftHeld = true; break;
        default: break;
        }
    }
    return m;
}

struct MatchCase {
    const char *label;
    int32_t entryKey;
    ModifierFlags entryFlags;
    int32_t vk;
    bool extended;
    const char *held;
    bool nt;
    bool expected;
};

const MatchCase kMatchCases[] = {
    // AnyModifiers: whatever states and bits.
    {"caps any, nothing", kVkCapital, ANY, kVkCapital, false, "", true, true},
    {"caps any, all held", kVkCapital, ANY, kVkCapital, true, "casCAS", true, true},
    {"caps any, other platform", kVkCapital, ANY, kVkCapital, false, "cs", false, true},
    {"caps any, other key", kVkCapital, ANY, kVkNumLock, false, "", true, false},
    {"any ignores right-side bit", kVkShift, ANY | RSK, kVkShift, false, "s", true, true},
    // Exact modifier sets, hands counted apart.
    {"A+Ctrl, ctrl", 'A', C, 'A', false, "c", true, true},
    {"A+Ctrl, right ctrl only", 'A', C, 'A', false, "C", true, false},
    {"A+Ctrl, ctrl and shift", 'A', C, 'A', false, "cs", true, false},
    {"A+Ctrl, nothing", 'A', C, 'A', false, "", true, false},
    {"A+Ctrl, other key", 'A', C, 'B', false, "c", true, false},
    {"A+Ctrl+RCtrl, both", 'A', C | RC, 'A', false, "cC", true, true},
    {"A+Ctrl+RCtrl, left only", 'A', C | RC, 'A', false, "c", true, false},
    {"A+Ctrl+RCtrl, right only", 'A', C | RC, 'A', false, "C", true, false},
    {"A plain, nothing", 'A', 0, 'A', false, "", true, true},
    {"A plain, right alt", 'A', 0, 'A', false, "A", true, false},
    {"A+all six", 'A', C | A | S | RC | RA | RS, 'A', false, "casCAS", true, true},
    {"A+all six, one missing", 'A', C | A | S | RC | RA | RS, 'A', false, "casCA", true, false},
    {"A right-side bit ignored", 'A', RSK, 'A', false, "", true, true},
    {"A right-side bit, extended", 'A', RSK | C, 'A', true, "c", true, true},
    {"A extended bit ignored", 'A', 0, 'A', true, "", true, true},
    // Left Shift entry.
    {"lshift, shift up", kVkShift, S, kVkShift, false, "", true, true},
    {"lshift, shift held", kVkShift, S, kVkShift, false, "s", true, true},
    {"lshift, both held", kVkShift, S, kVkShift, false, "sS", true, false},
    {"lshift, right only", kVkShift, S, kVkShift, false, "S", true, false},
    {"lshift no bit, shift held", kVkShift, 0, kVkShift, false, "s", true, true},
    {"lshift with ctrl, ctrl held", kVkShift, S | C, kVkShift, false, "sc", true, true},
    {"lshift with ctrl, ctrl up", kVkShift, S | C, kVkShift, false, "s", true, false},
    // Right Shift entry.
    {"rshift, right held", kVkShift, RS | RSK, kVkShift, false, "S", true, true},
    {"rshift, both held", kVkShift, RS | RSK, kVkShift, false, "sS", true, false},
    {"rshift, none held", kVkShift, RS | RSK, kVkShift, false, "", true, false},
    {"rshift no bit, right held", kVkShift, RSK, kVkShift, false, "S", true, true},
    // Right Ctrl entry.
    {"rctrl, extended", kVkControl, RSK, kVkControl, true, "", true, true},
    {"rctrl, extended, right held", kVkControl, RSK, kVkControl, true, "C", true, true},
    {"rctrl, not extended", kVkControl, RSK, kVkControl, false, "C", true, false},
    {"rctrl, extended, left held", kVkControl, RSK, kVkControl, true, "c", true, false},
    {"rctrl, extended, alt held", kVkControl, RSK, kVkControl, true, "a", true, false},
    // Left Ctrl entry.
    {"lctrl, up", kVkControl, 0, kVkControl, false, "", true, true},
    {"lctrl, held", kVkControl, 0, kVkControl, false, "c", true, true},
    {"lctrl, right held", kVkControl, 0, kVkControl, false, "C", true, false},
    {"lctrl, extended", kVkControl, 0, kVkControl, true, "", true, false},
    // Alt, both hands.
    {"lalt, held", kVkMenu, A, kVkMenu, false, "a", true, true},
    {"lalt, extended", kVkMenu, A, kVkMenu, true, "a", true, false},
    {"ralt, extended", kVkMenu, RA | RSK, kVkMenu, true, "A", true, true},
    {"ralt, extended, left held", kVkMenu, RA | RSK, kVkMenu, true, "aA", true, false},
    {"ralt with ctrl", kVkMenu, RSK | C, kVkMenu, true, "cA", true, true},
    // Other platforms: right-hand states never held, both bits exempt for a
    // right-hand entry.
    {"other: rctrl, extended", kVkControl, RSK, kVkControl, true, "", false, true},
    {"other: rctrl, extended, ctrl held", kVkControl, RSK, kVkControl, true, "c", false, true},
    {"other: rctrl, not extended", kVkControl, RSK, kVkControl, false, "c", false, false},
    {"other: lctrl, held", kVkControl, C, kVkControl, false, "c", false, true},
    {"other: rshift never", kVkShift, RSK, kVkShift, false, "s", false, false},
    {"other: rshift never, up", kVkShift, RSK, kVkShift, false, "", false, false},
    {"other: A+Ctrl", 'A', C, 'A', false, "c", false, true},
    {"other: A+Ctrl, shift too", 'A', C, 'A', false, "cs", false, false},
    // Key codes compare as whole 32-bit values.
    {"high bits differ", 0x10041, 0, 'A', false, "", true, false},
    {"negative key", -1, ANY, -1, false, "", true, true},
};

}  // namespace

TEST(KeyMatch, MatchingRule)
{
    for (const MatchCase &c : kMatchCases) {
        const KeyEvent event{c.vk, c.extended, false};
        EXPECT_EQ(c.expected, EntryMatches(event, H(c.held), c.nt, c.entryKey, c.entryFlags))
            << c.label;
        // Pressed or released makes no difference to matching.
        const KeyEvent released{c.vk, c.extended, true};
        EXPECT_EQ(c.expected, EntryMatches(released, H(c.held), c.nt, c.entryKey, c.entryFlags))
            << c.label << " (released)";
    }
}

TEST(KeyMatch, StateRule)
{
    struct {
        const char *label;
        int32_t vk;
        bool released;
        bool toggled;
        int32_t expected;
    } const cases[] = {
        {"A press", 'A', false, false, 1},
        {"A press, toggle ignored", 'A', false, true, 1},
        {"A release", 'A', true, true, 0},
        {"shift release", kVkShift, true, false, 0},
        {"caps on, press", kVkCapital, false, true, 1},
        {"caps off, press", kVkCapital, false, false, 0},
        {"num on, release", kVkNumLock, true, true, 1},
        {"num off, release", kVkNumLock, true, false, 0},
        {"scroll on", kVkScroll, false, true, 1},
        {"scroll off, release", kVkScroll, true, false, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.expected, ReportedState(KeyEvent{c.vk, false, c.released}, c.toggled)) << c.label;
}

TEST(KeyMatch, EventBitsFromLParam)
{
    EXPECT_FALSE(MakeKeyEvent('A', 0x001E0001u).extended);
    EXPECT_FALSE(MakeKeyEvent('A', 0x001E0001u).released);
    EXPECT_TRUE(MakeKeyEvent(kVkControl, 0x011D0001u).extended);
    EXPECT_TRUE(MakeKeyEvent('A', 0xC01E0001u).released);
    EXPECT_FALSE(MakeKeyEvent('A', 0xC01E0001u).extended);
}

TEST(KeyMatch, ModifierKeysPerPlatform)
{
    const ModifierKeySet nt = ModifierKeysFor(true);
    EXPECT_EQ(162, nt.ctrl);
    EXPECT_EQ(164, nt.alt);
    EXPECT_EQ(160, nt.shift);
    EXPECT_EQ(163, nt.rightCtrl);
    EXPECT_EQ(165, nt.rightAlt);
    EXPECT_EQ(161, nt.rightShift);
    const ModifierKeySet other = ModifierKeysFor(false);
    EXPECT_EQ(17, other.ctrl);
    EXPECT_EQ(18, other.alt);
    EXPECT_EQ(16, other.shift);
    EXPECT_EQ(0, other.rightCtrl | other.rightAlt | other.rightShift);
}

namespace {

KeyTableEntry E(int32_t key, ModifierFlags flags, uint8_t spare = 0)
{
    KeyTableEntry e;
    e.keyCode = key;
    e.modifiers = flags;
    e.spare[0] = e.spare[1] = e.spare[2] = spare;
    return e;
}

// Hands the scan a fixed set of states and counts how often it asks.
struct CountingStates {
    ModifierStates held;
    int reads = 0;
    static ModifierStates Read(void *self)
    {
        CountingStates &s = *static_cast<CountingStates *>(self);
        ++s.reads;
        return s.held;
    }
};

}  // namespace

TEST(KeyScan, FirstMatchWinsAndCountBounds)
{
    const std::vector<KeyTableEntry> table = {
        E(kVkNumLock, ANY),         // 0
        E('A', C),                  // 1
        E('A', C, 0xFF),            // 2: duplicate of 1, spare bytes set
        E('A', ANY),                // 3: shadows 4 for 'A'
        E('A', 0),                  // 4: never reached for 'A' with nothing held
        E(kVkCapital, 0xFF & ~ANY), // 5: needs every modifier
        E(kVkCapital, ANY),         // 6
        E('B', 0, 0xAB),            // 7: spare bytes do not matter
    };
    const int32_t n = static_cast<int32_t>(table.size());
    struct {
        const char *label;
        int32_t vk;
        const char *held;
        int32_t count;
        uint32_t capacity;
        int32_t expected;
        int reads;  // the states are read once, and only when a key code is equal
    } const cases[] = {
        {"num lock first", kVkNumLock, "", n, 100, 0, 1},
        {"ctrl+A: first duplicate", 'A', "c", n, 100, 1, 1},
        {"A plain: any-modifiers shadows", 'A', "", n, 100, 3, 1},
        {"A with alt: any-modifiers", 'A', "a", n, 100, 3, 1},
        {"caps: exact entry skipped", kVkCapital, "", n, 100, 6, 1},
        {"B with spare bytes", 'B', "", n, 100, 7, 1},
        {"no such key", 'Z', "", n, 100, -1, 0},
        {"count zero", kVkNumLock, "", 0, 100, -1, 0},
        {"count negative", kVkNumLock, "", -1, 100, -1, 0},
        {"count most negative", kVkNumLock, "", INT32_MIN, 100, -1, 0},
        {"count cuts table", 'B', "", 7, 100, -1, 0},
        {"count one", 'A', "c", 1, 100, -1, 0},
        {"capacity cuts huge count", 'B', "", 1000000, 7, -1, 0},
        {"capacity reaches last", 'B', "", 1000000, 8, 7, 1},
        {"capacity zero", kVkNumLock, "", n, 0, -1, 0},
    };
    for (const auto &c : cases) {
        CountingStates states{H(c.held)};
        EXPECT_EQ(c.expected, FindMatchingEntry(table.data(), c.count, c.capacity,
                                                KeyEvent{c.vk, false, false},
                                                CountingStates::Read, &states, true))
            << c.label;
        EXPECT_EQ(c.reads, states.reads) << c.label;
        // The look without the mutex sees exactly the entries the scan reads.
        EXPECT_EQ(c.reads > 0, HasEntryForKey(table.data(), c.count, c.capacity, c.vk)) << c.label;
    }
}

TEST(KeyScan, OnlyEntriesWithinCapacityAreRead)
{
    // ASan faults if the scan touches one entry past the buffer.
    const uint32_t capacity = EntryCapacity(TV_CHANNEL_SIZE(3));
    ASSERT_EQ(3u, capacity);
    std::vector<KeyTableEntry> table(capacity, E('Q', 0));
    CountingStates states{H("")};
    EXPECT_EQ(-1, FindMatchingEntry(table.data(), 1000000, capacity,
                                    KeyEvent{'Z', false, false}, CountingStates::Read, &states,
                                    true));
}

TEST(KeyScan, EntryCapacityOfViews)
{
    struct {
        size_t bytes;
        uint32_t expected;
    } const cases[] = {
        {0, 0}, {19, 0}, {20, 0}, {27, 0}, {28, 1}, {35, 1}, {36, 2}, {4096, 509}, {65536, 8189},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.expected, EntryCapacity(c.bytes)) << c.bytes << " bytes";
}
