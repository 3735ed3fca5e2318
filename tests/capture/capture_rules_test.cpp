// Native tests of the capture rules: modifier flags, composed text and which
// key events capture at all.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "options/capture/capture_rules.h"

using namespace tolvar;

namespace {

constexpr int kVkA = 0x41;

// Held modifiers from a list of virtual-key codes, through the same
// keyboard-state reader the dialog uses.
HeldModifiers HeldOf(std::initializer_list<int> keys)
{
    uint8_t state[256] = {0};
    for (int vk : keys)
        state[vk] = 0x80;
    return HeldModifiersFromKeyboardState(state);
}

struct ComposeCase {
    const char *label;
    int vk;
    bool extended;
    std::initializer_list<int> held;
    bool isNt;
    const char *keyName;
    unsigned modifiers;
    const char *text;
};

} // namespace

TEST(CaptureRules, ComposesFlagsAndText)
{
    const ComposeCase cases[] = {
        {"A alone", kVkA, false, {}, true, "A", 0x00, "A"},
        {"A with left Ctrl and left Shift", kVkA, false,
         {kVkLControl, kVkControl, kVkLShift, kVkShift}, true, "A", 0x05, "Ctrl+Shift+A"},
        {"A with right Ctrl", kVkA, false, {kVkRControl, kVkControl}, true, "A", 0x08,
         "Right Ctrl+A"},
        {"A with every modifier, in display order", kVkA, false,
         {kVkLControl, kVkRControl, kVkLMenu, kVkRMenu, kVkLShift, kVkRShift}, true, "A", 0x3F,
         "Ctrl+Shift+Alt+Right Ctrl+Right Shift+Right Alt+A"},
        {"A with left and right Alt", kVkA, false, {kVkLMenu, kVkRMenu, kVkMenu}, true, "A", 0x12,
         "Alt+Right Alt+A"},
        {"generic Ctrl state alone does not count on NT", kVkA, false, {kVkControl}, true, "A",
         0x00, "A"},
        {"Shift with left Shift held", kVkShift, false, {kVkLShift, kVkShift}, true, "Shift", 0x04,
         "Shift"},
        {"Shift with right Shift held", kVkShift, false, {kVkRShift, kVkShift}, true, "Shift", 0x60,
         "Right Shift"},
        {"Shift with both Shifts held", kVkShift, false, {kVkLShift, kVkRShift, kVkShift}, true,
         "Shift", 0x24, "Shift+Right Shift"},
        {"Shift with Ctrl and left Shift held", kVkShift, false,
         {kVkLControl, kVkLShift, kVkShift}, true, "Shift", 0x05, "Ctrl+Shift"},
        {"Shift with no Shift held yet gives no text", kVkShift, false, {}, true, "Shift", 0x00, ""},
        {"left Ctrl itself", kVkControl, false, {kVkLControl, kVkControl}, true, "Control", 0x00,
         "Control"},
        {"right Ctrl itself", kVkControl, true, {kVkRControl, kVkControl}, true, "Right Control",
         0x40, "Right Control"},
        {"right Ctrl with left Ctrl held", kVkControl, true, {kVkLControl, kVkRControl}, true,
         "Right Control", 0x41, "Ctrl+Right Control"},
        {"left Ctrl with right Ctrl held", kVkControl, false, {kVkLControl, kVkRControl}, true,
         "Control", 0x08, "Right Ctrl+Control"},
        {"left Alt itself", kVkMenu, false, {kVkLMenu, kVkMenu}, true, "Alt", 0x00, "Alt"},
        {"right Alt itself", kVkMenu, true, {kVkRMenu, kVkMenu}, true, "Right Alt", 0x40,
         "Right Alt"},
        {"right Alt with left Shift", kVkMenu, true, {kVkRMenu, kVkLShift}, true, "Right Alt", 0x44,
         "Shift+Right Alt"},
        {"extended key that is no modifier: no right-side flag", 0x2D /* Insert */, true, {}, true,
         "Insert", 0x00, "Insert"},
        {"other platform: A with Ctrl", kVkA, false, {kVkControl}, false, "A", 0x01, "Ctrl+A"},
        {"other platform: right-hand keys count as either hand", kVkA, false,
         {kVkControl, kVkRControl, kVkMenu, kVkShift, kVkRShift}, false, "A", 0x07,
         "Ctrl+Shift+Alt+A"},
        {"other platform: Shift alone does not count itself", kVkShift, false, {kVkShift}, false,
         "Shift", 0x00, "Shift"},
        {"other platform: Ctrl itself with Shift", kVkControl, false, {kVkControl, kVkShift}, false,
         "Ctrl", 0x04, "Shift+Ctrl"},
        {"other platform: right Ctrl keeps its right-side flag", kVkControl, true, {kVkControl},
         false, "Right Ctrl", 0x40, "Right Ctrl"},
        {"other platform: Left/right states alone count nothing", kVkA, false,
         {kVkLControl, kVkLShift, kVkLMenu}, false, "A", 0x00, "A"},
        {"no key name", kVkA, false, {kVkLControl}, true, nullptr, 0x01, "Ctrl+"},
        {"empty key name", kVkA, false, {}, true, "", 0x00, ""},
    };
    for (const ComposeCase &c : cases) {
        SCOPED_TRACE(c.label);
        CaptureResult r = ComposeCapture(c.vk, c.extended, HeldOf(c.held), c.isNt, c.keyName);
        EXPECT_EQ(c.modifiers, r.modifiers);
        EXPECT_STREQ(c.text, r.text);
        EXPECT_EQ(0u, r.modifiers & TV_MOD_ANY_MODIFIERS) << "capture never sets AnyModifiers";
    }
}

TEST(CaptureRules, KeyNameIsCutAt127Characters)
{
    const std::string longName(300, 'k');
    const HeldModifiers all = HeldOf({kVkLControl, kVkRControl, kVkLMenu, kVkRMenu, kVkLShift,
                                      kVkRShift});
    CaptureResult r = ComposeCapture(kVkA, false, all, true, longName.c_str());
    const std::string prefix = "Ctrl+Shift+Alt+Right Ctrl+Right Shift+Right Alt+";
    ASSERT_EQ(prefix.size() + kMaxKeyNameChars, std::strlen(r.text));
    EXPECT_EQ(prefix + std::string(kMaxKeyNameChars, 'k'), std::string(r.text));

    // A name of exactly 127 characters is kept whole.
    const std::string exact(kMaxKeyNameChars, 'x');
    r = ComposeCapture(kVkA, false, HeldModifiers(), true, exact.c_str());
    EXPECT_EQ(exact, std::string(r.text));
}

TEST(CaptureRules, KeyboardStateReaderLooksAtTheHighBitOnly)
{
    uint8_t state[256] = {0};
    state[kVkLControl] = 0x01; // toggled, not held
    state[kVkRShift] = 0x81;   // held and toggled
    state[kVkMenu] = 0x80;
    HeldModifiers held = HeldModifiersFromKeyboardState(state);
    EXPECT_FALSE(held.leftControl);
    EXPECT_TRUE(held.rightShift);
    EXPECT_TRUE(held.menu);
    EXPECT_FALSE(held.leftShift || held.rightControl || held.leftMenu || held.rightMenu ||
                 held.control || held.shift);
}

TEST(CaptureRules, DecidesWhichEventsCapture)
{
    const struct {
        const char *label;
        int vk;
        bool released;
        bool lockOn;
        bool captures;
    } cases[] = {
        {"press of A", kVkA, false, false, true},
        {"release of A", kVkA, true, false, false},
        {"press of A ignores a toggle bit", kVkA, false, true, true},
        {"release of Shift", kVkShift, true, false, false},
        {"press of right Ctrl", kVkControl, false, false, true},
        {"Caps Lock press, lock off", kVkCapital, false, false, false},
        {"Caps Lock press, lock on", kVkCapital, false, true, true},
        {"Caps Lock release, lock on", kVkCapital, true, true, true},
        {"Caps Lock release, lock off", kVkCapital, true, false, false},
        {"Num Lock release, lock on", kVkNumLock, true, true, true},
        {"Num Lock press, lock off", kVkNumLock, false, false, false},
        {"Scroll Lock press, lock on", kVkScroll, false, true, true},
        {"Scroll Lock release, lock off", kVkScroll, true, false, false},
        {"Tab press", kVkTab, false, false, false},
        {"Enter press", kVkReturn, false, false, false},
        {"Escape press", kVkEscape, false, false, false},
        {"Escape press with a toggle bit", kVkEscape, false, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        CaptureEvent event;
        event.vk = c.vk;
        event.released = c.released;
        event.lockOn = c.lockOn;
        EXPECT_EQ(c.captures, IsCapturingEvent(event));
    }
}
