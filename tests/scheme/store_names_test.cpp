// Plain-name check, last path component and the free-name chooser.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "options/scheme/store_names.h"

namespace tolvar {
namespace {

const LeadBytes kSingleByte;

// Code page 932 (Japanese): lead bytes 0x81-0x9F and 0xE0-0xFC.
LeadBytes Japanese()
{
    LeadBytes lead;
    lead.AddRange(0x81, 0x9F);
    lead.AddRange(0xE0, 0xFC);
    return lead;
}

TEST(PlainFileName, Table)
{
    struct {
        std::string name;
        bool plain;
        bool japanese = false;  // read in code page 932
    } cases[] = {
        {"beep.wav", true},
        {"my.sound.wav", true},
        {"noextension", true},
        {"with space.ico", true},
        {".hidden", true},
        {"CONSOLE.wav", true},   // only the whole stem is a device
        {"com10.wav", true},
        {"lpt0.wav", true},
        {"nul-not.wav", true},
        {"\xE9t\xE9.wav", true},  // ANSI letters
        {std::string(260, 'a'), true},
        {std::string(261, 'a'), false},
        {"", false},
        {".", false},
        {"..", false},
        {"a\\b.wav", false},
        {"\\b.wav", false},
        {"a/b.wav", false},
        {"C:b.wav", false},
        {"b.wav:stream", false},
        {"b.wav::$DATA", false},
        {"*.wav", false},
        {"b?.wav", false},
        {"b\".wav", false},
        {"<b>.wav", false},
        {"b|c.wav", false},
        {"tab\t.wav", false},
        {"trailing.", false},
        {"trailing ", false},
        {"CON", false},
        {"con", false},
        {"con.wav", false},
        {"Con.tar.gz", false},
        {"con .wav", false},
        {"PRN", false},
        {"aux.ico", false},
        {"NUL", false},
        {"COM1", false},
        {"com9.wav", false},
        {"LPT1", false},
        {"lpt9.ico", false},
        {"conin$", false},
        {"CONOUT$.txt", false},
        {"COM\xB9", false},  // superscript one
        // Second bytes 0x5C and 0x7C are no "\\" and "|" inside a letter.
        {"\x83\x5C.wav", true, true},                  // ソ.wav
        {"\x95\x5C.ico", true, true},                  // 表.ico
        {"\x83\x7C\x83\x62\x83\x76.wav", true, true},  // ポップ.wav
        {"\x83\x5C.wav", false},                       // a backslash in 1252
        {"a\\\x83\x5C.wav", false, true},
        {"a\x83", false, true},    // cut off after its lead byte
        {"\x83/.wav", false, true},  // no letter of the code page
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsPlainFileName(c.name.c_str(), c.japanese ? Japanese() : kSingleByte), c.plain)
            << '"' << c.name << '"';
    EXPECT_FALSE(IsPlainFileName(nullptr, kSingleByte));
}

TEST(LastPathComponent, Table)
{
    struct {
        const char *path;
        const char *last;
        bool japanese = false;
    } cases[] = {
        {"C:\\Icons\\caps.ico", "caps.ico"},
        {"caps.ico", "caps.ico"},
        {"C:\\folder\\", ""},
        {"\\\\server\\share\\a.wav", "a.wav"},
        {"C:caps.ico", "caps.ico"},
        {"dir/sub/a.wav", "a.wav"},
        {"", ""},
        {"C:\\Sounds\\\x83\x7C\x83\x62\x83\x76.wav", "\x83\x7C\x83\x62\x83\x76.wav", true},
        {"C:\\\x83\x5C\\\x95\x5C.ico", "\x95\x5C.ico", true},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(LastPathComponent(c.path, c.japanese ? Japanese() : kSingleByte), c.last) << c.path;
}

// A store held in a map: path -> (size, content tag); a file holds the
// content being placed when its tag is kSame. Records every lookup and
// every comparison.
const uint32_t kSame = 0xAB;

class FakeStore final : public StoreLookup {
public:
    struct File {
        uint64_t size;
        uint32_t tag;
    };
    StoreEntry Find(const char *path) override
    {
        lookups.push_back(path);
        auto it = files.find(path);
        if (it == files.end())
            return StoreEntry{false, 0};
        return StoreEntry{true, it->second.size};
    }
    bool SameContent(const char *path) override
    {
        compared.push_back(path);
        auto it = files.find(path);
        return it != files.end() && it->second.tag == kSame;
    }
    std::map<std::string, File> files;
    std::vector<std::string> lookups;
    std::vector<std::string> compared;
};

TEST(ChooseTargetName, Table)
{
    const char *folder = "C:\\Host\\Sounds";
    struct Case {
        const char *label;
        const char *fileName;
        std::map<std::string, FakeStore::File> existing;
        uint64_t length;
        NameChoice choice;
        const char *target;
        std::vector<std::string> compared;
    } cases[] = {
        {"empty store", "beep.wav", {}, 10, NameChoice::kNewName, "C:\\Host\\Sounds\\beep.wav", {}},
        {"same content", "beep.wav", {{"C:\\Host\\Sounds\\beep.wav", {10, kSame}}}, 10,
         NameChoice::kIdenticalFile, "C:\\Host\\Sounds\\beep.wav", {"C:\\Host\\Sounds\\beep.wav"}},
        {"other size, never compared", "beep.wav", {{"C:\\Host\\Sounds\\beep.wav", {11, kSame}}}, 10,
         NameChoice::kNewName, "C:\\Host\\Sounds\\beep001.wav", {}},
        {"same size, other bytes", "beep.wav", {{"C:\\Host\\Sounds\\beep.wav", {10, 1}}}, 10,
         NameChoice::kNewName, "C:\\Host\\Sounds\\beep001.wav", {"C:\\Host\\Sounds\\beep.wav"}},
        {"two taken", "beep.wav",
         {{"C:\\Host\\Sounds\\beep.wav", {1, 0}}, {"C:\\Host\\Sounds\\beep001.wav", {2, 0}}}, 10,
         NameChoice::kNewName, "C:\\Host\\Sounds\\beep002.wav", {}},
        {"identical under a counter, each same size compared", "beep.wav",
         {{"C:\\Host\\Sounds\\beep.wav", {10, 1}}, {"C:\\Host\\Sounds\\beep001.wav", {10, kSame}}},
         10, NameChoice::kIdenticalFile, "C:\\Host\\Sounds\\beep001.wav",
         {"C:\\Host\\Sounds\\beep.wav", "C:\\Host\\Sounds\\beep001.wav"}},
        {"a free name before an identical file", "beep.wav",
         {{"C:\\Host\\Sounds\\beep.wav", {10, 1}}, {"C:\\Host\\Sounds\\beep002.wav", {10, kSame}}},
         10, NameChoice::kNewName, "C:\\Host\\Sounds\\beep001.wav", {"C:\\Host\\Sounds\\beep.wav"}},
        {"no extension", "name", {{"C:\\Host\\Sounds\\name", {1, 0}}}, 10, NameChoice::kNewName,
         "C:\\Host\\Sounds\\name001", {}},
        {"counter before the last dot", "my.sound.wav",
         {{"C:\\Host\\Sounds\\my.sound.wav", {1, 0}}}, 10, NameChoice::kNewName,
         "C:\\Host\\Sounds\\my.sound001.wav", {}},
        {"length of 4 GiB never identical", "big.wav",
         {{"C:\\Host\\Sounds\\big.wav", {uint64_t(1) << 32, kSame}}}, uint64_t(1) << 32,
         NameChoice::kNewName, "C:\\Host\\Sounds\\big001.wav", {}},
        {"same low 32 bits of the size is not the same size", "big.wav",
         {{"C:\\Host\\Sounds\\big.wav", {(uint64_t(1) << 32) + 10, kSame}}}, 10,
         NameChoice::kNewName, "C:\\Host\\Sounds\\big001.wav", {}},
    };
    for (const Case &c : cases) {
        FakeStore store;
        store.files = c.existing;
        char out[kMaxPathChars + 1] = {};
        EXPECT_EQ(ChooseTargetName(folder, c.fileName, c.length, store, kSingleByte, out), c.choice)
            << c.label;
        EXPECT_STREQ(out, c.target) << c.label;
        EXPECT_EQ(store.compared, c.compared) << c.label;
    }
}

TEST(ChooseTargetName, FolderWithTrailingBackslashGetsNoSecond)
{
    FakeStore store;
    char out[kMaxPathChars + 1];
    EXPECT_EQ(ChooseTargetName("C:\\Icons\\", "a.ico", 1, store, kSingleByte, out), NameChoice::kNewName);
    EXPECT_STREQ(out, "C:\\Icons\\a.ico");
    // A folder whose last letter ends in byte 0x5C ("ソ" in 932) gets one.
    EXPECT_EQ(ChooseTargetName("C:\\\x83\x5C", "a.ico", 1, store, Japanese(), out), NameChoice::kNewName);
    EXPECT_STREQ(out, "C:\\\x83\x5C\\a.ico");
}

TEST(ChooseTargetName, GivesUpAfter999CandidatesWithoutOverwriting)
{
    FakeStore store;
    store.files["C:\\S\\a.wav"] = {1, 0};
    char name[32];
    for (int i = 1; i <= 998; ++i) {
        std::snprintf(name, sizeof name, "C:\\S\\a%03d.wav", i);
        store.files[name] = {1, 0};
    }
    char out[kMaxPathChars + 1];
    EXPECT_EQ(ChooseTargetName("C:\\S", "a.wav", 10, store, kSingleByte, out), NameChoice::kNoFreeName);
    ASSERT_EQ(store.lookups.size(), 999u);
    EXPECT_EQ(store.lookups.front(), "C:\\S\\a.wav");
    EXPECT_EQ(store.lookups.back(), "C:\\S\\a998.wav");

    // The last candidate tried is counter 998.
    store.files.erase("C:\\S\\a998.wav");
    store.lookups.clear();
    EXPECT_EQ(ChooseTargetName("C:\\S", "a.wav", 10, store, kSingleByte, out), NameChoice::kNewName);
    EXPECT_STREQ(out, "C:\\S\\a998.wav");
}

TEST(ChooseTargetName, CandidatesBeyondAPathFieldAreRefused)
{
    FakeStore store;
    std::string folder = "C:\\" + std::string(240, 'f');
    std::string fits(260 - folder.size() - 1, 'n');  // exactly 260 characters in all
    char out[kMaxPathChars + 1];
    EXPECT_EQ(ChooseTargetName(folder.c_str(), fits.c_str(), 1, store, kSingleByte, out),
              NameChoice::kNewName);
    EXPECT_EQ(std::strlen(out), 260u);
    // Taken: the counter would make it 263 characters.
    store.files[out] = {2, 0};
    EXPECT_EQ(ChooseTargetName(folder.c_str(), fits.c_str(), 1, store, kSingleByte, out),
              NameChoice::kTooLong);
    std::string tooLong = fits + "x";
    EXPECT_EQ(ChooseTargetName(folder.c_str(), tooLong.c_str(), 1, store, kSingleByte, out),
              NameChoice::kTooLong);
}

} // namespace
} // namespace tolvar
