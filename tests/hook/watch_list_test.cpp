// The reference host's watch-list parser and report text.
#include <gtest/gtest.h>

#include "host/watch_list.h"

using namespace tolvar;

TEST(WatchList, DefaultIsTheThreeLockKeysWithAnyModifiers)
{
    const auto list = DefaultWatchList();
    ASSERT_EQ(3u, list.size());
    const int32_t keys[] = {0x14, 0x90, 0x91};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(keys[i], list[i].keyCode);
        EXPECT_EQ(TV_MOD_ANY_MODIFIERS, list[i].modifiers);
    }
}

TEST(WatchList, Parse)
{
    struct Expected {
        int32_t key;
        uint8_t mods;
    };
    struct {
        const char *text;
        bool ok;
        std::vector<Expected> entries;
    } const cases[] = {
        {"0x14:0x80", true, {{0x14, 0x80}}},
        {"65", true, {{65, 0}}},
        {"65:1,0x41:0X41,20:128", true, {{65, 1}, {0x41, 0x41}, {20, 128}}},
        {"255:255", true, {{255, 255}}},
        {"", false, {}},
        {"65,", false, {}},
        {",65", false, {}},
        {"0", false, {}},
        {"256", false, {}},
        {"65:256", false, {}},
        {"0x", false, {}},
        {"65:", false, {}},
        {"-1", false, {}},
        {"6a", false, {}},
        {"65:1:2", false, {}},
        {"99999999999", false, {}},
    };
    for (const auto &c : cases) {
        std::vector<KeyTableEntry> out = {KeyTableEntry{7, 7, {0, 0, 0}}};
        EXPECT_EQ(c.ok, ParseWatchList(c.text, &out)) << c.text;
        if (!c.ok) {
            ASSERT_EQ(1u, out.size()) << c.text << ": output changed on failure";
            continue;
        }
        ASSERT_EQ(c.entries.size(), out.size()) << c.text;
        for (size_t i = 0; i < out.size(); ++i) {
            EXPECT_EQ(c.entries[i].key, out[i].keyCode) << c.text << " #" << i;
            EXPECT_EQ(c.entries[i].mods, out[i].modifiers) << c.text << " #" << i;
        }
    }
}

TEST(WatchList, ReportText)
{
    EXPECT_EQ("Caps Lock [mods 0x80] on", ReportText(0x14, 0x80, 1));
    EXPECT_EQ("Num Lock [mods 0x00] off", ReportText(0x90, 0, 0));
    EXPECT_EQ("A [mods 0x05] on", ReportText('A', 5, 1));
    EXPECT_EQ("key 0x70 [mods 0x00] off", ReportText(0x70, 0, 0));
    EXPECT_EQ("key 0xFFFFFFFF [mods 0x00] on", ReportText(-1, 0, 1));
}
