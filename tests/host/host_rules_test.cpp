// The platform-free rules of Tolvar.exe: the settings file's layout and
// checks, the records handed to the libraries, and what one report shows.
#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "host/app/announcement.h"
#include "host/app/command_line.h"
#include "host/app/quiet_start.h"
#include "host/display/display_choices.h"
#include "host/display/display_placement.h"
#include "host/display/indication.h"
#include "host/settings/ini_text.h"
#include "host/app/leftover_files.h"
#include "host/settings/media_path.h"
#include "host/settings/settings.h"
#include "host/settings/settings_ini.h"
#include "host/tray/tray_icon_ids.h"
#include "host/tray/tray_presence.h"
#include "host/tray/tray_theme.h"

using namespace tolvar;

namespace {

// A settings file as the profile API presents it: blanks around a value
// trimmed, then one pair of matching quotes around it stripped.
class FakeProfile : public ProfileReader {
public:
    explicit FakeProfile(const std::vector<ProfileSection> &sections)
    {
        for (const ProfileSection &s : sections)
            for (const auto &v : s.values)
                values[s.name][v.first] = v.second;
    }
    bool Read(const std::string &section, const std::string &key, std::string *value) const override
    {
        auto s = values.find(section);
        if (s == values.end())
            return false;
        auto v = s->second.find(key);
        if (v == s->second.end())
            return false;
        std::string text = v->second;
        const size_t first = text.find_first_not_of(" \t");
        const size_t last = text.find_last_not_of(" \t");
        text = first == std::string::npos ? "" : text.substr(first, last - first + 1);
        if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0])
            text = text.substr(1, text.size() - 2);
        *value = text;
        return true;
    }
    std::map<std::string, std::map<std::string, std::string>> values;
};

Settings Sample()
{
    Settings s = DefaultSettings();
    s.beepOnly = true;
    s.numLockOn = true;
    s.showDisplay = false;
    s.displayMs = 2500;
    s.display.stays[0] = Stays::kWhileOn;
    s.display.stays[1] = Stays::kWhileOff;
    s.display.monitor = MonitorChoice::kAll;
    s.display.anchor = Anchor::kTopRight;
    s.display.offsetXPercent = -kMaxOffsetPercent;
    s.display.offsetYPercent = 7;
    s.display.dragged = true;
    s.display.places = {{"1280x1024+0+0 1280x1024+1280+0", 0, kPlaceScale}, {"800x600+0+0", 5000, 1}};
    s.display.untilNextKey = true;
    s.display.size = DisplaySize::kLarge;
    s.display.opacityPercent = kMinOpacityPercent;
    s.display.theme = ThemeChoice::kLight;
    s.display.fade = false;
    s.display.hideInFullScreen = false;
    s.display.announce = true;
    s.display.splash = false;
    s.display.stackCorner = Anchor::kTopLeft;
    s.keys[2].shown = {false, true, true, false, TrayShow::kWhileOn};
    s.keys[0].iconOnPath = "C:\\Icons\\caps on.ico";
    s.keys[1].active = false;
    KeySetting combo;
    combo.keyCode = 'K';
    combo.modifiers = TV_MOD_CTRL | TV_MOD_SHIFT;
    combo.name = std::string(kMaxKeyNameLength - 2, 'n') + "\"q";  // longest, with a quote
    combo.soundOnPath = " \"C:\\a b\\x.wav\" ";                      // blanks and quotes kept
    combo.soundOffPath = std::string(kMaxPathLength, 'p');
    combo.shown.tray = TrayShow::kNever;
    s.keys.push_back(combo);
    return s;
}

}  // namespace

TEST(SettingsFile, WhatIsWrittenReadsBackUnchanged)
{
    for (const Settings &s : {DefaultSettings(), Sample(), Settings()}) {
        const std::string text = SettingsFileText(s);
        Settings read;
        read.keys.resize(7);
        std::string problem;
        ASSERT_TRUE(SettingsFromProfile(IniText(text), &read, &problem)) << problem;
        EXPECT_TRUE(read == s);
        EXPECT_TRUE(EndsAsSaved(text));
    }
}

TEST(SettingsFile, ProfileLinesReadAsTheProfileApiReadsThem)
{
    using namespace std::string_literals;
    const IniText ini(
        "top=ignored\r\n"
        "  [ Tolvar ]  \r\n"
        "Version = 1 \n"
        "; Keys=9\n"
        "KEYS=3\r"
        "keys=4\n"
        "Name=' quoted '\n"
        "Odd=\"one\n"
        "Bare\n"
        "Eq=a=b\0"
        "[Open\n"
        "x=1\n"
        "[tolvar]\n"
        "Version=2\n"
        "Late=yes"s);
    const struct {
        const char *section, *key, *value;  // value null: absent
    } rows[] = {
        {"Tolvar", "Version", "1"},        // blanks around names and values
        {"TOLVAR", "keys", "3"},           // any case; the first line of a key counts
        {"Tolvar", "Name", " quoted "},    // one pair of quotes removed
        {"Tolvar", "Odd", "\"one"},        // unmatched quote kept
        {"Tolvar", "Bare", ""},            // no '='
        {"Tolvar", "Eq", "a=b"},           // NUL ends a line too
        {"Tolvar", "Late", "yes"},         // a second section of that name adds to it
        {"Open", "x", "1"},                // no closing bracket
        {"Tolvar", "top", nullptr},        // before any section
        {"Tolvar", "; Keys", nullptr},     // comment
        {"Other", "Version", nullptr},
    };
    for (const auto &r : rows) {
        std::string value = "untouched";
        EXPECT_EQ(r.value != nullptr, ini.Read(r.section, r.key, &value)) << r.section << "/" << r.key;
        EXPECT_EQ(r.value ? r.value : "untouched", value) << r.section << "/" << r.key;
    }
}

TEST(SettingsFile, EncodingMarksAndTheEndOfASavedFile)
{
    const struct {
        std::string bytes;
        TextEncoding encoding;
        size_t mark;
    } marks[] = {
        {"\xEF\xBB\xBF[Tolvar]", TextEncoding::kUtf8, 3},
        {"\xFF\xFE[\0", TextEncoding::kUtf16Le, 2},
        {"\xFE\xFF\0[", TextEncoding::kUtf16Be, 2},
        {"\xEF\xBB[Tolvar]", TextEncoding::kAnsi, 0},
        {"", TextEncoding::kAnsi, 0},
    };
    for (const auto &m : marks) {
        size_t mark = 99;
        EXPECT_EQ(m.encoding, TextEncodingOf(m.bytes, &mark)) << m.bytes;
        EXPECT_EQ(m.mark, mark) << m.bytes;
    }
    const std::string end = kSettingsEndLine;
    const struct {
        std::string text;
        bool complete;
    } ends[] = {
        {"[Tolvar]\r\n\r\n" + end + "\r\n", true},
        {"[Tolvar]\n" + end + " \n\n", true},
        {end, true},
        {"[Tolvar]\r\n" + end + "\r\nKeys=1\r\n", false},  // more after it
        {"[Tolvar]\r\nx=" + end + "\r\n", false},           // not a line of its own
        {"[Tolvar]\r\n" + end.substr(0, end.size() - 1), false},  // cut short
        {"", false},
    };
    for (const auto &e : ends)
        EXPECT_EQ(e.complete, EndsAsSaved(e.text)) << e.text;
}

TEST(SettingsFile, ControlCharactersInTextsBecomeBlanks)
{
    Settings s = DefaultSettings();
    s.keys[0].name = "Caps\r\nLock\t";
    FakeProfile profile(SettingsToProfile(s));
    Settings read;
    std::string problem;
    ASSERT_TRUE(SettingsFromProfile(profile, &read, &problem)) << problem;
    EXPECT_EQ("Caps  Lock ", read.keys[0].name);
}

TEST(SettingsFile, MissingOptionalValuesTakeTheirDefaults)
{
    FakeProfile profile({{"Tolvar", {{"Version", "1"}, {"Keys", "1"}}},
                         {"Key1", {{"Code", "20"}}}});
    Settings read;
    std::string problem;
    ASSERT_TRUE(SettingsFromProfile(profile, &read, &problem)) << problem;
    Settings expected;
    expected.keys.resize(1);
    expected.keys[0].keyCode = 20;
    EXPECT_TRUE(read == expected);

    // A file from before the Display window: its Caps Lock display stays.
    profile.values["Tolvar"]["CapsLockDisplay"] = "1";
    ASSERT_TRUE(SettingsFromProfile(profile, &read, &problem)) << problem;
    EXPECT_EQ(Stays::kWhileOn, read.display.stays[0]);
    EXPECT_EQ(std::vector<int32_t>{0x14}, TrackedLockKeys(read));
}

TEST(SettingsFile, AFileThisProgramCouldNotHaveWrittenIsUnreadable)
{
    const std::string longName(kMaxKeyNameLength + 1, 'n');
    const std::string longPath(kMaxPathLength + 1, 'p');
    struct Case {
        const char *what;
        std::function<void(FakeProfile &)> spoil;
        const char *problem;
    } const cases[] = {
        {"no header", [](FakeProfile &p) { p.values.erase("Tolvar"); }, "Version is missing"},
        {"other version", [](FakeProfile &p) { p.values["Tolvar"]["Version"] = "2"; }, "Version"},
        {"no key count", [](FakeProfile &p) { p.values["Tolvar"].erase("Keys"); }, "Keys is missing"},
        {"key count text", [](FakeProfile &p) { p.values["Tolvar"]["Keys"] = "three"; }, "Keys"},
        {"no count of keys", [](FakeProfile &p) { p.values["Tolvar"]["Keys"] = "1000001"; }, "Keys"},
        {"negative count", [](FakeProfile &p) { p.values["Tolvar"]["Keys"] = "-1"; }, "Keys"},
        {"flag not 0/1", [](FakeProfile &p) { p.values["Tolvar"]["Silent"] = "2"; }, "Silent"},
        {"display too short", [](FakeProfile &p) { p.values["Tolvar"]["DisplayMilliseconds"] = "299"; },
         "DisplayMilliseconds"},
        {"display too long", [](FakeProfile &p) { p.values["Tolvar"]["DisplayMilliseconds"] = "10001"; },
         "DisplayMilliseconds"},
        {"stays not a choice", [](FakeProfile &p) { p.values["Tolvar"]["NumLockDisplay"] = "3"; }, "NumLockDisplay"},
        {"offset too far", [](FakeProfile &p) { p.values["Display"]["OffsetX"] = "-51"; }, "[Display] OffsetX"},
        {"offset not a number", [](FakeProfile &p) { p.values["Display"]["OffsetY"] = "--1"; }, "OffsetY"},
        {"opacity too low", [](FakeProfile &p) { p.values["Display"]["Opacity"] = "29"; }, "Opacity"},
        {"stack not in a corner", [](FakeProfile &p) { p.values["Display"]["StackCorner"] = "7"; }, "StackCorner"},
        {"too many places", [](FakeProfile &p) { p.values["Display"]["Places"] = "9"; }, "Places"},
        {"place missing its own", [](FakeProfile &p) { p.values["Display"]["Places"] = "1"; p.values["Display"]["Place1X"] = "10001"; }, "Place1X"},
        {"tray not a choice", [](FakeProfile &p) { p.values["Key1"]["Tray"] = "3"; }, "[Key1] Tray"},
        {"key section gone", [](FakeProfile &p) { p.values.erase("Key3"); }, "[Key3] Code is missing"},
        {"key code 0", [](FakeProfile &p) { p.values["Key1"]["Code"] = "0"; }, "[Key1] Code"},
        {"key code 256", [](FakeProfile &p) { p.values["Key1"]["Code"] = "0x100"; }, "[Key1] Code"},
        {"bare 0x", [](FakeProfile &p) { p.values["Key1"]["Code"] = "0x"; }, "[Key1] Code"},
        {"modifiers 256", [](FakeProfile &p) { p.values["Key2"]["Modifiers"] = "256"; }, "Modifiers"},
        {"name too long", [&](FakeProfile &p) { p.values["Key2"]["Name"] = longName; }, "[Key2] Name is too long"},
        {"path too long", [&](FakeProfile &p) { p.values["Key3"]["IconOff"] = longPath; }, "IconOff is too long"},
    };
    for (const Case &c : cases) {
        FakeProfile profile(SettingsToProfile(DefaultSettings()));
        c.spoil(profile);
        Settings read = Sample();
        std::string problem;
        EXPECT_FALSE(SettingsFromProfile(profile, &read, &problem)) << c.what;
        EXPECT_NE(std::string::npos, problem.find(c.problem)) << c.what << ": " << problem;
        EXPECT_TRUE(read == Sample()) << c.what << ": settings changed";
    }
}

TEST(SettingsFile, KeysBeyondThoseTheProgramKeepsAreCountedNotRead)
{
    Settings many;
    many.keys.resize(kMaxKeys + 2);
    for (size_t i = 0; i < many.keys.size(); ++i)
        many.keys[i].keyCode = static_cast<int32_t>(1 + i % 255);
    many.keys.back().keyCode = 0;  // never read: no reason to refuse the file
    Settings read;
    std::string problem;
    size_t leftOut = 0;
    ASSERT_TRUE(SettingsFromProfile(IniText(SettingsFileText(many)), &read, &problem, &leftOut)) << problem;
    EXPECT_EQ(2u, leftOut);
    many.keys.resize(kMaxKeys);
    EXPECT_TRUE(read == many);
}

TEST(Settings, KeysBackFromTheOptionsDialogKeepTheirOwnChoices)
{
    Settings before = DefaultSettings();
    before.keys[1].shown.tray = TrayShow::kNever;  // Num Lock
    before.keys[0].shown.displayOff = false;      // Caps Lock
    Settings after = DefaultSettings();
    after.keys.erase(after.keys.begin());     // Caps Lock removed ...
    after.keys.push_back(after.keys[0]);      // ... a second Num Lock added
    after.keys[0].shown.soundOn = false;      // what the dialog cannot know is not taken
    CarryKeyDisplays(before, &after);
    EXPECT_EQ(TrayShow::kNever, after.keys[0].shown.tray);
    EXPECT_TRUE(after.keys[0].shown.soundOn);
    EXPECT_TRUE(after.keys[1].shown == KeyDisplay()) << "Scroll Lock";
    EXPECT_TRUE(after.keys[2].shown == KeyDisplay()) << "the new Num Lock";
}

TEST(DisplayChoices, TheDraftOfTheDisplayWindowTakesOnlyItsOwnChoices)
{
    // The options removed Caps Lock and added a key while the window was
    // open with the three lock keys; the window changed Num Lock and its own
    // choices.
    Settings current = Sample();
    current.keys.erase(current.keys.begin());
    KeySetting added;
    added.keyCode = 'J';
    added.shown.soundOn = false;
    current.keys.push_back(added);
    current.silent = true;
    Settings draft = DefaultSettings();
    draft.keys[0].shown.displayOn = false;   // Caps Lock: gone meanwhile
    draft.keys[1].shown.tray = TrayShow::kNever;  // Num Lock
    draft.displayMs = 4500;
    draft.display.anchor = Anchor::kCentre;
    draft.display.places.clear();
    const Settings next = WithDisplayChoices(current, draft);
    Settings expected = current;
    expected.showDisplay = draft.showDisplay;
    expected.displayMs = draft.displayMs;
    expected.display = draft.display;
    expected.keys[0].shown = draft.keys[1].shown;  // Num Lock
    expected.keys[1].shown = draft.keys[2].shown;  // Scroll Lock
    EXPECT_TRUE(next == expected);
    EXPECT_FALSE(next.keys[3].shown.soundOn) << "the key added meanwhile keeps its own";
}

TEST(DisplayChoices, DurationsAndOffsetsAsTyped)
{
    struct Row {
        const char *typed;
        bool ok;
        int ms;
    } const durations[] = {
        {"1.5", true, 1500}, {"1,5", true, 1500}, {" 3 s", true, 3000}, {"2", true, 2000},
        {"1.26", true, 1500}, {"1.2", true, 1000}, {"0.2", true, 500}, {"25", true, 10000},
        {"", false, 0},      {".", false, 0},     {"1.2.3", false, 0}, {"-1", false, 0},
        {"1e3", false, 0},   {"9999999", false, 0},
    };
    for (const Row &r : durations) {
        int ms = -1;
        EXPECT_EQ(r.ok, ParseDuration(r.typed, &ms)) << r.typed;
        EXPECT_EQ(r.ok ? r.ms : -1, ms) << r.typed;
    }
    struct Shown {
        int ms;
        const char *text;
        int step;
    } const shown[] = {
        {1500, "1.5", 3}, {10000, "10", 20}, {kMinDisplayMs, "0.3", 1}, {1250, "1.3", 3}, {500, "0.5", 1},
        {60000, "60", 20},
    };
    for (const Shown &s : shown) {
        EXPECT_EQ(s.text, DurationText(s.ms)) << s.ms;
        EXPECT_EQ(s.step, DurationStep(s.ms)) << s.ms;
    }
    const Row offsets[] = {
        {"-12", true, -12}, {"+5", true, 5}, {"7 %", true, 7}, {"0", true, 0}, {"60", true, 50},
        {"-99", true, -50}, {"-", false, 0}, {"", false, 0},   {"1234", false, 0}, {"1-", false, 0},
    };
    for (const Row &r : offsets) {
        int percent = -1;
        EXPECT_EQ(r.ok, ParseOffset(r.typed, &percent)) << r.typed;
        EXPECT_EQ(r.ok ? r.ms : -1, percent) << r.typed;
    }
}

TEST(DisplayChoices, ListsStandForTheirSettings)
{
    struct Row {
        int index;
        bool ok, dragged;
        Anchor anchor;
    } const positions[] = {
        {0, true, false, Anchor::kTopLeft},
        {static_cast<int>(Anchor::kBottomRight), true, false, Anchor::kBottomRight},
        {kAnchors, true, true, Anchor::kTop},  // the anchor is kept for later
        {-1, false, false, Anchor::kTop},
        {kPositionChoices, false, false, Anchor::kTop},
    };
    for (const Row &r : positions) {
        DisplaySettings d;
        d.anchor = Anchor::kTop;
        EXPECT_EQ(r.ok, SetPosition(r.index, &d)) << r.index;
        EXPECT_EQ(r.dragged, d.dragged) << r.index;
        EXPECT_EQ(r.anchor, d.anchor) << r.index;
        if (r.ok) {
            EXPECT_EQ(r.index, PositionIndex(d));
        }
    }
    for (int i = 0; i < kCorners; ++i) {
        Anchor corner = Anchor::kCentre;
        ASSERT_TRUE(CornerAt(i, &corner));
        EXPECT_TRUE(IsCorner(corner));
        EXPECT_EQ(i, CornerIndex(corner));
    }
    Anchor corner = Anchor::kCentre;
    EXPECT_FALSE(CornerAt(kCorners, &corner));
    EXPECT_EQ(kCorners - 1, CornerIndex(Anchor::kTop)) << "no corner: the bottom right one";

    struct States {
        bool on, off, toggles;
        const char *text;
    } const states[] = {
        {true, true, true, "On, off"}, {true, false, true, "On"},     {false, true, true, "Off"},
        {false, false, true, "Never"}, {true, true, false, "Press"}, {false, true, false, "Never"},
    };
    for (const States &s : states)
        EXPECT_EQ(s.text, StatesText(s.on, s.off, s.toggles));
}

TEST(SettingsFile, AFileKeptAsideGetsANameOfItsOwn)
{
    EXPECT_EQ("C:\\T\\Tolvar.unreadable.ini", AsideName("C:\\T\\Tolvar.ini", "unreadable", 1));
    EXPECT_EQ("C:\\T\\Tolvar.unfinished-3.ini", AsideName("C:\\T\\Tolvar.ini", "unfinished", 3));
    EXPECT_EQ("C:\\a.b\\settings.original", AsideName("C:\\a.b\\settings", "original", 1));
}

TEST(MediaPaths, RelativePathsMeanFilesBesideTheProgram)
{
    const std::string local = "C:\\Tools\\Tolvar", shared = "\\\\nas\\apps\\Tolvar";
    const struct {
        const std::string &folder;
        const char *path, *full;
    } rows[] = {
        {local, "Icons\\caps.ico", "C:\\Tools\\Tolvar\\Icons\\caps.ico"},
        {local, "..\\art/caps.ico", "C:\\Tools\\Tolvar\\..\\art/caps.ico"},
        {local, "\\Icons\\caps.ico", "C:\\Icons\\caps.ico"},
        {shared, "/Icons/caps.ico", "\\\\nas\\apps/Icons/caps.ico"},
        {local, "D:\\art\\caps.ico", "D:\\art\\caps.ico"},
        {local, "d:/art/caps.ico", "d:/art/caps.ico"},
        {local, "\\\\nas\\art\\caps.ico", "\\\\nas\\art\\caps.ico"},
        {local, "", ""},
        {local, "D:caps.ico", ""},                // the drive's current folder
        {local, "\\\\.\\COM1", ""},             // device namespace
        {local, "//?/C:/caps.ico", ""},
        {local, "Sounds\\con.wav", ""},           // device names, in any folder
        {local, "C:\\x\\LPT9 .wav", ""},
        {local, "AUX", ""},
        {local, "Sounds\\console.wav", "C:\\Tools\\Tolvar\\Sounds\\console.wav"},
        {local, "com0.wav", "C:\\Tools\\Tolvar\\com0.wav"},
    };
    for (const auto &r : rows)
        EXPECT_EQ(r.full, ResolveMediaPath(r.path, r.folder)) << r.path;
}

TEST(KeyRecords, KeyItemsCarryEveryFieldAndStayInsideTheirFields)
{
    const Settings s = Sample();
    for (KeySetting key : s.keys) {
        const KeyItem item = ToKeyItem(key);
        key.shown = KeyDisplay();  // the program's own, not the record's
        EXPECT_TRUE(FromKeyItem(item) == key) << key.name;
    }
    KeySetting tooLong;
    tooLong.name = std::string(300, 'x');
    tooLong.iconOffPath = std::string(400, 'y');
    const KeyItem cut = ToKeyItem(tooLong);
    EXPECT_EQ(kMaxKeyNameLength, strlen(cut.keyName));
    EXPECT_EQ(kMaxPathLength, strlen(cut.iconOffPath));
    EXPECT_FALSE(FromKeyItem(cut).hasIcon);

    // A record from outside without terminators is read up to its fields' ends.
    KeyItem raw;
    memset(&raw, 'z', sizeof raw);
    const KeySetting taken = FromKeyItem(raw);
    EXPECT_EQ(sizeof raw.keyName, taken.name.size());
    EXPECT_EQ(sizeof raw.iconOffPath, taken.iconOffPath.size());
    EXPECT_TRUE(taken.active && taken.hasIcon && taken.hasOffState);

    // Made to fit the settings file: cut, no control characters, a key code
    // that can report.
    KeySetting fitted = taken;
    fitted.name[3] = '\n';
    fitted.keyCode = 'z';
    EXPECT_TRUE(NormalizeKey(&fitted));
    EXPECT_EQ(kMaxKeyNameLength, fitted.name.size());
    EXPECT_EQ(kMaxPathLength, fitted.iconOffPath.size());
    EXPECT_EQ("zzz zz", fitted.name.substr(0, 6));
    for (int32_t code : {0, 256, -1, 0x7A7A7A7A}) {
        fitted.keyCode = code;
        EXPECT_FALSE(NormalizeKey(&fitted)) << code;
    }
}

TEST(KeyRecords, KeysTakenFromTheOptionsStopAtTheProgramsLimit)
{
    std::vector<KeyItem> items(kMaxKeys + 3);
    for (size_t i = 0; i < items.size(); ++i) {
        KeySetting key;
        key.keyCode = i == 1 ? 0 : 'A';  // one that can never report
        items[i] = ToKeyItem(key);
    }
    std::vector<KeySetting> keys(5);
    EXPECT_EQ(2u, KeysFromItems(items.data(), items.size(), &keys));
    EXPECT_EQ(kMaxKeys, keys.size());
    EXPECT_EQ(0u, KeysFromItems(items.data(), 3, &keys));
    EXPECT_EQ(2u, keys.size());
}

TEST(KeyRecords, HeaderCarriesTheFourSwitches)
{
    Settings s = Sample();
    KeyCollectionHeader h = ToHeader(s);
    const int32_t switches[] = {h.beepOnly, h.silent, h.numLockOn, h.addToStartup};
    EXPECT_EQ((std::vector<int32_t>{1, 0, 1, 0}), std::vector<int32_t>(switches, switches + 4));
    EXPECT_EQ(4u, uint32_t(h.itemCount));
    h.beepOnly = 0;
    h.silent = 7;
    h.addToStartup = 1;
    TakeSwitches(h, &s);
    EXPECT_FALSE(s.beepOnly);
    EXPECT_TRUE(s.silent && s.numLockOn && s.addToStartup);
}

TEST(KeyTable, ActiveKeysInOrderWithCapsLockFollowedWhenAsked)
{
    struct Case {
        const char *what;
        std::vector<std::pair<int32_t, uint8_t>> keys;  // keyCode, modifiers (all active)
        bool track;
        size_t capacity;
        std::vector<std::pair<int32_t, uint8_t>> table;
    } const cases[] = {
        {"plain, with K's release entry", {{0x14, 0x80}, {'K', 5}}, false, 10,
         {{0x14, 0x80}, {'K', 5}, {'K', 0x80}}},
        {"caps covered", {{0x14, 0x80}, {'K', 5}}, true, 10, {{0x14, 0x80}, {'K', 5}, {'K', 0x80}}},
        {"caps added", {{'K', 5}, {0x14, 0x04}}, true, 10,
         {{'K', 5}, {0x14, 0x04}, {'K', 0x80}, {0x14, 0x80}}},
        {"one release entry per key code", {{'K', 5}, {'K', 1}, {'J', 0}}, false, 10,
         {{'K', 5}, {'K', 1}, {'J', 0}, {'K', 0x80}, {'J', 0x80}}},
        {"none beside an any-modifiers entry", {{'K', 5}, {'K', 0x80}}, false, 10, {{'K', 5}, {'K', 0x80}}},
        {"none for lock keys", {{0x90, 1}, {0x91, 0}}, false, 10, {{0x90, 1}, {0x91, 0}}},
        {"release entries where room is left", {{1, 0}, {2, 0}, {3, 0}}, false, 4,
         {{1, 0}, {2, 0}, {3, 0}, {1, 0x80}}},
        {"cut to capacity", {{1, 0}, {2, 0}, {3, 0}}, false, 2, {{1, 0}, {2, 0}}},
        {"caps kept when cut", {{1, 0}, {2, 0}, {3, 0}}, true, 2, {{1, 0}, {0x14, 0x80}}},
        {"empty", {}, false, 10, {}},
    };
    for (const Case &c : cases) {
        Settings s;
        for (auto k : c.keys) {
            KeySetting key;
            key.keyCode = k.first;
            key.modifiers = k.second;
            s.keys.push_back(key);
        }
        const auto table = BuildKeyTable(s, c.capacity, c.track ? std::vector<int32_t>{0x14} : std::vector<int32_t>{});
        ASSERT_EQ(c.table.size(), table.size()) << c.what;
        for (size_t i = 0; i < table.size(); ++i) {
            EXPECT_EQ(c.table[i].first, int32_t(table[i].keyCode)) << c.what << " #" << i;
            EXPECT_EQ(c.table[i].second, uint8_t(table[i].modifiers)) << c.what << " #" << i;
        }
    }
    Settings s = DefaultSettings();
    s.keys[0].active = false;
    EXPECT_EQ(2u, BuildKeyTable(s, 10, {}).size());
    // Caps Lock not watched any more, Num Lock watched: only Caps is added.
    EXPECT_EQ(3u, BuildKeyTable(s, 10, {0x14, 0x90}).size());
    EXPECT_EQ(-1, FindReportedKey(s, 0x14, 0x80)) << "an inactive key reports nothing";
    EXPECT_EQ(1, FindReportedKey(s, 0x90, 0x80));
    EXPECT_EQ(-1, FindReportedKey(s, 0x90, 0x00)) << "modifiers are part of the key";
}

TEST(KeyTable, AReleaseReleasesEveryKeyWithItsKeyCode)
{
    Settings s;
    for (auto k : std::vector<std::pair<int32_t, uint8_t>>{
             {0x78, 5}, {0x78, 1}, {0x77, 5}, {0x14, 0x80}, {0x14, 1}, {0x78, 5}}) {
        KeySetting key;
        key.keyCode = k.first;
        key.modifiers = k.second;
        s.keys.push_back(key);
    }
    s.keys[4].active = false;
    struct {
        const char *what;
        int32_t keyCode;
        uint8_t modifiers;
        int32_t state;
        std::vector<size_t> keys;
    } const cases[] = {
        {"press of Ctrl+Shift+F9", 0x78, 5, 1, {0}},
        {"its release, in order", 0x78, 5, 0, {0, 1, 5}},
        {"F9 released after its modifiers", 0x78, 0x80, 0, {0, 1, 5}},
        {"F9 pressed alone: no key", 0x78, 0x80, 1, {}},
        {"Caps Lock off: a state, not a release", 0x14, 0x80, 0, {3}},
        {"an unknown key", 0x41, 0, 0, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.keys, KeysOfReport(s, c.keyCode, c.modifiers, c.state)) << c.what;
}

TEST(Indication, ToggleKeysShowEachChangeOtherKeysEachPress)
{
    KeySetting caps = DefaultSettings().keys[0];
    KeySetting combo;
    combo.keyCode = 'K';
    KeySetting offStateKey = combo;
    offStateKey.hasOffState = true;
    struct Case {
        const KeySetting *key;
        int32_t previous, reported;
        bool indicate;
    } const cases[] = {
        {&caps, 0, 0, false},   {&caps, 0, 1, true},    {&caps, 1, 1, false},
        {&caps, 1, 0, true},    {&caps, -1, 0, true},   {&caps, 0, 7, true},
        {&combo, -1, 1, true},  {&combo, 0, 1, true},   {&combo, 1, 1, false},
        {&combo, 1, 0, false},  {&combo, -1, 0, false}, {&offStateKey, 1, 0, true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.indicate, ShouldIndicate(*c.key, c.previous, c.reported))
            << c.key->keyCode << " " << c.previous << " -> " << c.reported;
}

TEST(Indication, IconsAndSounds)
{
    Settings s = DefaultSettings();
    s.keys[1].iconOffPath = "num.ico";
    s.keys[2].soundOnPath = "scroll.wav";
    KeySetting iconKey;
    iconKey.keyCode = 'Q';
    iconKey.hasIcon = true;
    KeySetting plain;
    plain.keyCode = 'K';
    plain.soundOffPath = "never-played.wav";
    struct IconCase {
        const KeySetting *key;
        bool on;
        const char *file;
        int id;
    } const icons[] = {
        {&s.keys[0], true, "", 2000},      {&s.keys[0], false, "", 2001},
        {&s.keys[1], false, "num.ico", 3001}, {&s.keys[2], true, "", 4000},
        {&iconKey, true, "", kProgramIconId}, {&plain, true, "", 0},
    };
    for (const IconCase &c : icons) {
        const IconChoice icon = ChooseIcon(*c.key, c.on);
        EXPECT_EQ(c.file, icon.file) << c.key->keyCode << c.on;
        EXPECT_EQ(c.id, icon.resourceId) << c.key->keyCode << c.on;
    }
    EXPECT_EQ("res:2001", ResourceText(2001));
    EXPECT_EQ("none", ResourceText(0));

    struct SoundCase {
        bool silent, beep;
        const KeySetting *key;
        bool on;
        SoundChoice::Kind kind;
        const char *file;
        int id;
    } const sounds[] = {
        {false, false, &s.keys[2], true, SoundChoice::kFile, "scroll.wav", 106},
        {false, false, &s.keys[2], false, SoundChoice::kResource, "", 107},
        {false, false, &plain, true, SoundChoice::kResource, "", 106},
        {false, true, &s.keys[2], true, SoundChoice::kBeep, "", 106},
        {true, true, &s.keys[2], true, SoundChoice::kSilent, "", 106},
        {true, false, &plain, false, SoundChoice::kSilent, "", 107},
    };
    for (const SoundCase &c : sounds) {
        s.silent = c.silent;
        s.beepOnly = c.beep;
        const SoundChoice sound = ChooseSound(s, *c.key, c.on);
        EXPECT_EQ(c.kind, sound.kind);
        EXPECT_EQ(c.file, sound.file);
        EXPECT_EQ(c.id, sound.resourceId);
    }
}

TEST(Indication, LogLineAndTooltip)
{
    EXPECT_EQ("1234 0x14 0x80 1 \"Caps Lock\" icon=res:2000 sound=res:106\r\n",
              FormatLogLine(1234, 0x14, 0x80, 1, "Caps Lock", "res:2000", "res:106"));
    EXPECT_EQ("0 0x4B 0x05 0 \"Ctrl Shift K\" icon=none sound=C:\\s\\k.wav\r\n",
              FormatLogLine(0, 'K', 5, 0, "Ctrl\nShift K", "none", "C:\\s\\k.wav"));
    EXPECT_EQ("Caps Lock: on", TooltipText("Caps Lock", true, 128));
    EXPECT_EQ("Caps: off", TooltipText("Caps Lock", false, 10));
    EXPECT_EQ("", TooltipText("Caps Lock", false, 5));

    // What a screen reader says.
    KeySetting caps = DefaultSettings().keys[0], f8;
    f8.keyCode = 0x77;
    f8.name = "F8\t";
    const struct {
        const KeySetting *key;
        int32_t state;
        const char *said;
    } said[] = {{&caps, 1, "Caps Lock on"}, {&caps, 0, "Caps Lock off"}, {&f8, 1, "F8  pressed"}};
    for (const auto &c : said)
        EXPECT_EQ(c.said, AnnouncementText(*c.key, c.state));
}

TEST(TrayIcons, EveryKeyKeepsItsOwnIdWhereverItStandsInTheList)
{
    // Every key a settings file can hold has an id of its own, never 0.
    std::set<uint32_t> ids;
    for (int32_t code = 1; code <= 255; ++code)
        for (int modifiers = 0; modifiers <= 255; ++modifiers) {
            const uint32_t id = TrayIconId(code, static_cast<uint8_t>(modifiers), 0);
            EXPECT_NE(0u, id);
            ids.insert(id);
        }
    EXPECT_EQ(255u * 256u, ids.size());

    // Reordered, with a key deleted and one added, the others keep theirs; a
    // key held twice gets a second id, different from every other key's.
    Settings s = Sample();
    const std::vector<uint32_t> before = TrayIconIds(s.keys);
    std::vector<KeySetting> after = {s.keys[3], s.keys[2], s.keys[0], s.keys[0]};
    after.push_back(KeySetting());
    after.back().keyCode = 'J';
    const std::vector<uint32_t> now = TrayIconIds(after);
    EXPECT_EQ(before[3], now[0]);
    EXPECT_EQ(before[2], now[1]);
    EXPECT_EQ(before[0], now[2]);
    EXPECT_EQ(5u, std::set<uint32_t>(now.begin(), now.end()).size());
    EXPECT_EQ(0u, std::set<uint32_t>(before.begin(), before.end()).count(now[3]));
}

TEST(TrayIcons, EachKeyAsItsChoiceSaysAndTheProgramsWhileNoKeysIs)
{
    KeySetting always = DefaultSettings().keys[0], whileOn = always, never = always;
    whileOn.shown.tray = TrayShow::kWhileOn;
    never.shown.tray = TrayShow::kNever;
    KeySetting noIcon = always, inactive = always;
    noIcon.hasIcon = false;
    inactive.active = false;
    struct Case {
        const char *what;
        std::vector<KeySetting> keys;
        std::vector<int32_t> states;
        std::vector<bool> shown;
        bool program;
    } const cases[] = {
        {"always", {always, always}, {0, 1}, {true, true}, false},
        {"while on: on", {whileOn}, {1}, {true}, false},
        {"while on: off, or not known", {whileOn, whileOn}, {0, -1}, {false, false}, true},
        {"never, no icon, inactive", {never, noIcon, inactive}, {1, 1, 1}, {false, false, false}, true},
        {"one of them", {never, whileOn}, {1, 1}, {false, true}, false},
        {"no keys", {}, {}, {}, true},
    };
    for (const Case &c : cases) {
        for (size_t i = 0; i < c.keys.size(); ++i)
            EXPECT_EQ(c.shown[i], KeyTrayIconShown(c.keys[i], c.states[i])) << c.what << " " << i;
        EXPECT_EQ(c.program, ProgramTrayIconShown(c.keys, c.states)) << c.what;
    }
}

TEST(TrayIcons, DefaultIconsFollowTheTaskbarsLook)
{
    struct LookCase {
        bool highContrast, hasLight;
        uint32_t light;
        TrayLook look;
    } const looks[] = {
        {false, false, 0, TrayLook::kDark},  // no such value: the taskbar is dark
        {false, true, 0, TrayLook::kDark},   {false, true, 1, TrayLook::kLight},
        {false, true, 2, TrayLook::kDark},   {true, true, 1, TrayLook::kHighContrast},
        {true, false, 0, TrayLook::kHighContrast},
    };
    for (const LookCase &c : looks)
        EXPECT_EQ(c.look, ChooseTrayLook(c.highContrast, c.hasLight, c.light))
            << c.highContrast << c.hasLight << c.light;
    struct IdCase {
        int defaultId;
        TrayLook look;
        int tray;
    } const ids[] = {
        {2000, TrayLook::kLight, 5000}, {2001, TrayLook::kLight, 5001},
        {3000, TrayLook::kDark, 5110},  {4001, TrayLook::kDark, 5121},
        {1, TrayLook::kHighContrast, 5230}, {4000, TrayLook::kHighContrast, 5220},
        {0, TrayLook::kLight, 0},  // no icon
    };
    for (const IdCase &c : ids)
        EXPECT_EQ(c.tray, TrayIconResource(c.defaultId, c.look)) << c.defaultId;
}

std::string BoxText(const ScreenBox &b)
{
    return std::to_string(b.left) + "," + std::to_string(b.top) + " " + std::to_string(b.right) + "," +
           std::to_string(b.bottom);
}

TEST(DisplayPlacement, AtAnAnchorInsideTheWorkAreaOffAnyTaskbar)
{
    const ScreenBox primary = {0, 0, 1280, 984};        // taskbar below, outside
    const ScreenBox left = {-1920, -200, 0, 880};       // a monitor left of it
    const ScreenBox bottomBar = {0, 944, 1280, 984};    // taskbars inside it
    const ScreenBox topBar = {0, 0, 1280, 40};
    const ScreenBox leftBar = {0, 0, 60, 984};
    const ScreenBox rightBar = {1220, 0, 1280, 984};
    const ScreenBox otherBar = {-1920, 840, 0, 880};    // on the other monitor
    struct Case {
        const char *what;
        Anchor anchor;
        int x, y;  // offsets, percent
        BoxSize size;
        ScreenBox work;
        const ScreenBox *taskbar;
        ScreenBox expected;
    } const cases[] = {
        {"the default: low in the middle", Anchor::kBottom, 0, -12, {300, 80}, primary, nullptr, {490, 774, 790, 854}},
        {"bottom right", Anchor::kBottomRight, 0, 0, {200, 40}, primary, nullptr, {1068, 932, 1268, 972}},
        {"bottom right, left monitor", Anchor::kBottomRight, 0, 0, {200, 40}, left, nullptr, {-212, 828, -12, 868}},
        {"above a taskbar", Anchor::kBottomRight, 0, 0, {200, 40}, primary, &bottomBar, {1068, 892, 1268, 932}},
        {"below a taskbar", Anchor::kTopLeft, 0, 0, {200, 40}, primary, &topBar, {12, 52, 212, 92}},
        {"right of a taskbar", Anchor::kLeft, 0, 0, {200, 40}, primary, &leftBar, {72, 472, 272, 512}},
        {"left of a taskbar", Anchor::kRight, 0, 0, {200, 40}, primary, &rightBar, {1008, 472, 1208, 512}},
        {"other monitor's taskbar", Anchor::kBottomRight, 0, 0, {200, 40}, primary, &otherBar, {1068, 932, 1268, 972}},
        {"centre, moved right and up", Anchor::kCentre, 10, -10, {100, 100}, primary, nullptr, {718, 344, 818, 444}},
        {"moved out, kept in", Anchor::kTopRight, 50, -50, {200, 40}, primary, &bottomBar, {1080, 0, 1280, 40}},
        {"larger than the screen", Anchor::kBottomRight, 0, 0, {700, 500}, {0, 0, 640, 480}, nullptr, {0, 0, 700, 500}},
    };
    for (const Case &c : cases) {
        const ScreenBox box = PlaceAtAnchor(c.anchor, c.x, c.y, c.size, UsableArea(c.work, c.taskbar), 12);
        EXPECT_TRUE(box == c.expected) << c.what << ": " << BoxText(box);
    }
}

TEST(DisplayPlacement, DraggedPlacesAsFractionsOfTheRoomLeft)
{
    const ScreenBox area = {-1920, 0, 0, 1040};
    struct Case {
        ScreenBox box;  // where it was let go
        int x, y;
        ScreenBox back;  // where it goes again
    } const cases[] = {
        {{-1920, 0, -1720, 40}, 0, 0, {-1920, 0, -1720, 40}},
        {{-200, 1000, 0, 1040}, kPlaceScale, kPlaceScale, {-200, 1000, 0, 1040}},
        {{-1060, 500, -860, 540}, 5000, 5000, {-1060, 500, -860, 540}},
        {{-2100, -30, -1900, 10}, 0, 0, {-1920, 0, -1720, 40}},              // partly outside
        {{100, 2000, 300, 2040}, kPlaceScale, kPlaceScale, {-200, 1000, 0, 1040}},  // on another monitor
    };
    for (const Case &c : cases) {
        int x = -1, y = -1;
        FractionsOf(c.box, area, &x, &y);
        EXPECT_EQ(c.x, x) << BoxText(c.box);
        EXPECT_EQ(c.y, y) << BoxText(c.box);
        EXPECT_TRUE(PlaceAtFractions(x, y, {200, 40}, area) == c.back) << BoxText(c.box);
    }
    // A smaller work area keeps the fractions: the same side, the same share.
    EXPECT_TRUE(PlaceAtFractions(kPlaceScale, 5000, {200, 40}, {0, 0, 800, 600}) == (ScreenBox{600, 280, 800, 320}));
    // No room at all: at the area's start, whatever was kept.
    int x = -1, y = -1;
    FractionsOf({0, 0, 900, 40}, {0, 0, 800, 600}, &x, &y);
    EXPECT_EQ(0, x);
}

TEST(DisplayPlacement, MonitorLayoutIdsIgnoreTheOrder)
{
    const ScreenBox a = {0, 0, 1920, 1080}, b = {1920, 0, 3200, 1024}, c = {-1280, 0, 0, 1024};
    EXPECT_EQ(MonitorLayoutId({a, b}), MonitorLayoutId({b, a}));
    EXPECT_EQ(MonitorLayoutId({a, b, c}), MonitorLayoutId({c, a, b}));
    const std::string ids[] = {MonitorLayoutId({a}), MonitorLayoutId({a, b}), MonitorLayoutId({a, c}),
                               MonitorLayoutId({a, {1920, 0, 3200, 1080}})};
    EXPECT_EQ(4u, std::set<std::string>(std::begin(ids), std::end(ids)).size());
    EXPECT_EQ(std::string::npos, ids[1].find_first_of("[]=\r\n\"")) << ids[1];  // fits an ini value
}

TEST(DisplayPlacement, IndicatorsThatStayStackInwardWithoutOverlapping)
{
    const ScreenBox area = {0, 0, 1000, 800};
    const ScreenBox low = {0, 0, 1000, 100};  // room for two rows
    const std::vector<BoxSize> three = {{100, 30}, {120, 30}, {90, 30}};
    struct Case {
        const char *what;
        Anchor corner;
        ScreenBox area;
        std::vector<ScreenBox> expected;
    } const cases[] = {
        {"bottom right, upward", Anchor::kBottomRight, area, {{888, 758, 988, 788}, {868, 722, 988, 752}, {898, 686, 988, 716}}},
        {"top left, downward", Anchor::kTopLeft, area, {{12, 12, 112, 42}, {12, 48, 132, 78}, {12, 84, 102, 114}}},
        {"a new column inward", Anchor::kBottomRight, low, {{888, 58, 988, 88}, {868, 22, 988, 52}, {772, 58, 862, 88}}},
        {"top right, new column", Anchor::kTopRight, low, {{888, 12, 988, 42}, {868, 48, 988, 78}, {772, 12, 862, 42}}},
    };
    for (const Case &c : cases) {
        const std::vector<ScreenBox> boxes = StackInCorner(c.corner, three, c.area, 12, 6);
        ASSERT_EQ(c.expected.size(), boxes.size()) << c.what;
        for (size_t i = 0; i < boxes.size(); ++i)
            EXPECT_TRUE(boxes[i] == c.expected[i]) << c.what << " " << i << ": " << BoxText(boxes[i]);
    }
    // Any corner, any count: inside the area and never over each other.
    for (int corner = 0; corner < kAnchors; ++corner)
        for (const ScreenBox &a : {area, low}) {
            const std::vector<ScreenBox> boxes = StackInCorner(static_cast<Anchor>(corner), three, a, 12, 6);
            for (size_t i = 0; i < boxes.size(); ++i) {
                EXPECT_TRUE(boxes[i].left >= a.left && boxes[i].right <= a.right && boxes[i].top >= a.top &&
                            boxes[i].bottom <= a.bottom) << corner << ": " << BoxText(boxes[i]);
                for (size_t j = 0; j < i; ++j)
                    EXPECT_FALSE(boxes[i].left < boxes[j].right && boxes[j].left < boxes[i].right &&
                                 boxes[i].top < boxes[j].bottom && boxes[j].top < boxes[i].bottom)
                        << corner << ": " << BoxText(boxes[i]) << " over " << BoxText(boxes[j]);
            }
        }
}

TEST(DisplayLook, ThemeStatesAndFullScreen)
{
    struct PaletteCase {
        ThemeChoice choice;
        int appsUseLight;
        bool highContrast;
        Palette expected;
    } const palettes[] = {
        {ThemeChoice::kSystem, -1, false, Palette::kLight},  // no value: light, as Windows shows apps
        {ThemeChoice::kSystem, 0, false, Palette::kDark},
        {ThemeChoice::kSystem, 1, false, Palette::kLight},
        {ThemeChoice::kDark, 1, false, Palette::kDark},
        {ThemeChoice::kLight, 0, false, Palette::kLight},
        {ThemeChoice::kDark, 0, true, Palette::kHighContrast},
        {ThemeChoice::kSystem, -1, true, Palette::kHighContrast},
    };
    for (const PaletteCase &c : palettes)
        EXPECT_EQ(c.expected, ChoosePalette(c.choice, c.appsUseLight, c.highContrast))
            << static_cast<int>(c.choice) << " " << c.appsUseLight << " " << c.highContrast;

    struct StaysCase {
        Stays stays;
        bool whenOn, whenOff;
    } const stays[] = {{Stays::kNever, false, false}, {Stays::kWhileOn, true, false}, {Stays::kWhileOff, false, true}};
    for (const StaysCase &c : stays) {
        EXPECT_EQ(c.whenOn, IndicatorStays(c.stays, true));
        EXPECT_EQ(c.whenOff, IndicatorStays(c.stays, false));
    }
    KeyDisplay onOnly;
    onOnly.displayOff = false;
    EXPECT_TRUE(DisplaysState(onOnly, true));
    EXPECT_FALSE(DisplaysState(onOnly, false));

    const ScreenBox monitor = {1920, 0, 3840, 1080};
    EXPECT_TRUE(CoversMonitor(monitor, monitor));
    EXPECT_TRUE(CoversMonitor({1912, -8, 3848, 1088}, monitor));
    EXPECT_FALSE(CoversMonitor({1920, 0, 3840, 1040}, monitor));  // leaves the taskbar
    EXPECT_FALSE(CoversMonitor({0, 0, 1920, 1080}, monitor));     // the other monitor
    EXPECT_LT(SizePercent(DisplaySize::kSmall), SizePercent(DisplaySize::kMedium));
    EXPECT_EQ(100, SizePercent(DisplaySize::kMedium));
    EXPECT_LT(SizePercent(DisplaySize::kMedium), SizePercent(DisplaySize::kLarge));
}

TEST(CommandLine, Switches)
{
    struct Case {
        std::vector<std::string> args;
        bool ok;
        std::string settings, log;
        bool splash, demo;
        bool quiet, display;
    } const cases[] = {
        {{}, true, "", "", true, false, false, false},
        {{"--settings", "a b.ini", "--log", "x.log", "--no-splash", "--demo"}, true, "a b.ini", "x.log",
         false, true, false, false},
        {{"--display"}, true, "", "", true, false, false, true},
        {{"--log"}, false, "", "", true, false, false, false},
        {{"--log", ""}, false, "", "", true, false, false, false},
        {{"--watch", "0x14"}, false, "", "", true, false, false, false},
        {{"/QUIET"}, true, "", "", true, false, true, false},
        {{"--quiet", "/Quiet"}, true, "", "", true, false, true, false},
        {{"/quieter"}, false, "", "", true, false, false, false},
    };
    for (const Case &c : cases) {
        CommandLine line;
        std::string error;
        ASSERT_EQ(c.ok, ParseCommandLine(c.args, &line, &error)) << error;
        if (!c.ok) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_EQ(c.settings, line.settingsPath);
        EXPECT_EQ(c.log, line.logPath);
        EXPECT_EQ(c.splash, line.splash);
        EXPECT_EQ(c.demo, line.demo);
        EXPECT_EQ(c.quiet, line.quiet);
        EXPECT_EQ(c.display, line.openDisplay);
    }
}

TEST(QuietStart, TheSplashGreetsAUserWhoStartsTolvarNotALogonOrAnInstaller)
{
    const std::vector<std::string> startup = {
        "C:\\USERS\\ANNA\\APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\START MENU\\PROGRAMS\\STARTUP",
        "C:\\PROGRAMDATA\\MICROSOFT\\WINDOWS\\START MENU\\PROGRAMS\\STARTUP\\"};
    const struct {
        const char *link;
        bool startup;
    } links[] = {
        {"C:\\Users\\Anna\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\Tolvar.lnk", true},
        {"c:/programdata/microsoft/windows/start menu/programs/startup/Tolvar.lnk", true},
        {"C:\\Users\\Anna\\Desktop\\Tolvar.lnk", false},
        {"C:\\Users\\Anna\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup", false},
        {"C:\\Users\\Anna\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartupX\\T.lnk", false},
        {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\..\\Tolvar.lnk", false},
        {"", false},
    };
    for (const auto &c : links)
        EXPECT_EQ(c.startup, IsStartupShortcut(c.link, startup)) << c.link;
    EXPECT_FALSE(IsStartupShortcut("C:\\x.lnk", {""}));

    CommandLine byHand, quiet, noSplash, demo;
    quiet.quiet = true;
    noSplash.splash = false;
    demo.demo = true;
    const struct {
        const char *what;
        const CommandLine *line;
        bool setting, atLogon, splash;
    } starts[] = {
        {"by hand", &byHand, true, false, true},
        {"at logon", &byHand, true, true, false},
        {"splash turned off", &byHand, false, false, false},
        {"/quiet", &quiet, true, false, false},
        {"--no-splash", &noSplash, true, false, false},
        {"--demo", &demo, true, false, false},
    };
    for (const auto &c : starts)
        EXPECT_EQ(c.splash, ShowSplashAtStart(*c.line, c.setting, c.atLogon)) << c.what;
}

TEST(SetAsideFiles, OnlyTheInstallersNamesForProgramFiles)
{
    struct Case {
        const char *name;
        bool setAside;
    } const cases[] = {
        {"TolvarEx.dll.1.old", true},
        {"tolvarex64.DLL.123456789.OLD", true},
        {"Tolvar.exe.2.old", true},
        {"TolvarHook64.exe.7.old", true},
        {"Tolvar.dll.1234567890.old", false},  // not a number the installer counts to
        {"TolvarEx.dll", false},
        {"TolvarEx.dll..old", false},
        {"TolvarEx.dll.1.old.txt", false},
        {"TolvarEx.dll.x1.old", false},
        {"TolvarEx.dll.1.older", false},
        {"TolvarEx.dll1.old", false},
        {"Tolvar.ini.1.old", false},  // the user's, not a program file
        {"mine.dll.1.old", false},
        {"", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.setAside, IsSetAsideProgramFile(c.name)) << c.name;
}
