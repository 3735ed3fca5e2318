// Whole scheme files: save, load and the resource store, over an in-memory
// file system (with injected failures) and over real files.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "options/scheme/posix_scheme_files.h"
#include "options/scheme/scheme_store.h"
#include "tests/scheme/memory_files.h"
#include "tests/scheme/scheme_bytes.h"

namespace tolvar {
namespace {

using namespace tolvar::testing;

const char kScheme[] = "C:\\Host\\saved.tvs";
const char kTemp[] = "F564179C-3AEA-4642-AF18-956699291133.tmp";

std::string Sounds(const std::string &name) { return "C:\\Host\\Sounds\\" + name; }
std::string Icons(const std::string &name) { return "C:\\Host\\Icons\\" + name; }

bool HasTempFile(const MemoryFiles &fs)
{
    for (const auto &f : fs.files)
        if (f.first.size() >= sizeof kTemp - 1 &&
            f.first.compare(f.first.size() - (sizeof kTemp - 1), std::string::npos, kTemp) == 0)
            return true;
    return false;
}

// Saves items to kScheme; the items keep their (reduced) fields.
bool Save(MemoryFiles &fs, std::vector<KeyItem> &items, KeyCollectionHeader header)
{
    header.itemCount = static_cast<uint32_t>(items.size());
    return WriteSchemeFile(fs, kScheme, header, items.data());
}

bool Load(MemoryFiles &fs, RecordingCollection &loaded, const char *path = kScheme)
{
    bool ok = ReadSchemeFile(fs, path, loaded);
    EXPECT_EQ(fs.openHandles, 0) << "every handle is closed";
    EXPECT_FALSE(HasTempFile(fs)) << "no temporary file is left";
    return ok;
}

TEST(SchemeStore, SaveThenLoadRestoresContentAcrossChunkSizes)
{
    // Sizes around the chunk size, on different drives and folders.
    MemoryFiles fs;
    const size_t sizes[] = {1, 51199, 51200, 51201, 150000, 3};
    const char *paths[] = {"D:\\media\\on.wav", "D:\\media\\off.wav", "E:\\art\\deep\\on.ico",
                           "off.ico", "D:\\x\\two.wav", "D:\\x\\two.ico"};
    for (int i = 0; i < 6; ++i)
        fs.files[paths[i]] = Pattern(sizes[i], i);
    std::vector<KeyItem> items = {
        MakeItem(20, "Caps Lock", paths[0], paths[1], paths[2], paths[3]),
        MakeItem(65, "Ctrl + A", paths[4], "", paths[5], ""),
    };
    std::vector<KeyItem> original = items;
    ASSERT_TRUE(Save(fs, items, MakeHeader(0)));
    EXPECT_EQ(fs.openHandles, 0);
    // The saved collection's fields are reduced to bare names.
    EXPECT_STREQ(items[0].iconOnPath, "on.ico");
    EXPECT_STREQ(items[0].iconOffPath, "off.ico");

    RecordingCollection loaded;
    ASSERT_TRUE(Load(fs, loaded));
    EXPECT_EQ(+loaded.header.beepOnly, 1);
    EXPECT_EQ(+loaded.header.numLockOn, 1);
    ASSERT_EQ(loaded.items.size(), 2u);
    const char *expected[2][4] = {
        {"C:\\Host\\Sounds\\on.wav", "C:\\Host\\Sounds\\off.wav", "C:\\Host\\Icons\\on.ico",
         "C:\\Host\\Icons\\off.ico"},
        {"C:\\Host\\Sounds\\two.wav", "", "C:\\Host\\Icons\\two.ico", ""},
    };
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(+loaded.items[i].keyCode, +original[i].keyCode);
        EXPECT_STREQ(loaded.items[i].keyName, original[i].keyName);
        for (int f = 0; f < 4; ++f) {
            const char *path = PathField(loaded.items[i], f);
            EXPECT_STREQ(path, expected[i][f]) << i << "/" << f;
            if (*path) {
                EXPECT_EQ(fs.files[path], fs.files[PathField(original[i], f)]) << path;
            }
        }
    }
}

TEST(SchemeStore, FileLayoutOfASave)
{
    MemoryFiles fs;
    fs.files["D:\\a.wav"] = Text("AB^\0C");  // includes the key and a zero byte
    std::vector<KeyItem> items = {MakeItem(20, "K", "D:\\a.wav", "D:\\gone.wav", "", "D:\\")};
    ASSERT_TRUE(Save(fs, items, MakeHeader(0)));

    RawItem raw;
    raw.keyCode = 20;
    raw.modifiers = 0x05;
    raw.keyName = "K";
    raw.files[0] = "a.wav";
    raw.files[1] = "gone.wav";
    Bytes record = RecordHeader(1, 1, "TVSA", 1, 0, 1, 0);
    AppendItem(record, raw);
    Bytes tail;
    AppendEntry(tail, Text("AB^\0C"));
    AppendEntry(tail, {}, 0);  // the missing file: length 0, no content
    EXPECT_EQ(fs.files[kScheme], SchemeFileBytes(record, tail));
    EXPECT_EQ(fs.files[kScheme][4], 1) << "the version byte is stored plain";
}

TEST(SchemeStore, NoFilesMeansRecordOnly)
{
    MemoryFiles fs;
    std::vector<KeyItem> items = {MakeItem(20, "Caps Lock")};
    ASSERT_TRUE(Save(fs, items, MakeHeader(0)));
    EXPECT_EQ(fs.files[kScheme].size(), 4u + kSchemeRecordHeaderSize + 17 + 10 + 4);
}

TEST(SchemeStore, MissingFileLoadsAsBareNameAndWritesNothing)
{
    MemoryFiles fs;
    std::vector<KeyItem> items = {MakeItem(20, "Caps Lock", "D:\\nowhere\\beep.wav")};
    ASSERT_TRUE(Save(fs, items, MakeHeader(0)));
    RecordingCollection loaded;
    ASSERT_TRUE(Load(fs, loaded));
    EXPECT_STREQ(loaded.items[0].soundOnPath, "beep.wav");
    EXPECT_EQ(fs.folders.count("C:\\Host\\Sounds"), 0u) << "no store folder was needed";
}

TEST(SchemeStore, SameFileTwiceIsEmbeddedTwiceAndUnpackedOnce)
{
    MemoryFiles fs;
    fs.files["D:\\a.wav"] = Pattern(70000, 1);
    std::vector<KeyItem> items = {MakeItem(20, "A", "D:\\a.wav", "D:\\a.wav"),
                                  MakeItem(21, "B", "D:\\a.wav")};
    ASSERT_TRUE(Save(fs, items, MakeHeader(0)));
    EXPECT_GT(fs.files[kScheme].size(), 3u * 70000);
    RecordingCollection loaded;
    ASSERT_TRUE(Load(fs, loaded));
    EXPECT_EQ(fs.FilesUnder("C:\\Host\\Sounds"), std::vector<std::string>{Sounds("a.wav")});
    EXPECT_STREQ(loaded.items[0].soundOffPath, Sounds("a.wav").c_str());
    EXPECT_STREQ(loaded.items[1].soundOnPath, Sounds("a.wav").c_str());

    // Loading again creates nothing new.
    auto before = fs.files;
    RecordingCollection again;
    ASSERT_TRUE(Load(fs, again));
    EXPECT_EQ(fs.files, before);
}

TEST(SchemeStore, DifferentContentGetsCountedNames)
{
    MemoryFiles fs;
    fs.folders.insert("C:\\Host\\Sounds");
    fs.folders.insert("C:\\Host\\Icons");
    fs.files[Sounds("beep.wav")] = Text("first");
    fs.files[Sounds("beep001.wav")] = Text("second");
    fs.files[Icons("name")] = Text("icon one");
    Bytes record = Record({[] {
        RawItem item;
        item.files[0] = "beep.wav";
        item.files[1] = "beep.wav";
        item.files[2] = "name";
        return item;
    }()});
    Bytes tail;
    AppendEntry(tail, Text("third"));
    AppendEntry(tail, Text("second"));  // identical to beep001.wav: reused
    AppendEntry(tail, Text("icon two"));
    fs.files["C:\\Host\\in.tvs"] = SchemeFileBytes(record, tail);

    RecordingCollection loaded;
    ASSERT_TRUE(Load(fs, loaded, "C:\\Host\\in.tvs"));
    EXPECT_STREQ(loaded.items[0].soundOnPath, Sounds("beep002.wav").c_str());
    EXPECT_STREQ(loaded.items[0].soundOffPath, Sounds("beep001.wav").c_str());
    EXPECT_STREQ(loaded.items[0].iconOnPath, Icons("name001").c_str());
    EXPECT_EQ(fs.files[Sounds("beep.wav")], Text("first"));
    EXPECT_EQ(fs.files[Sounds("beep001.wav")], Text("second"));
    EXPECT_EQ(fs.files[Sounds("beep002.wav")], Text("third"));
    EXPECT_EQ(fs.files[Icons("name001")], Text("icon two"));
}

// Sets the last four bytes of data so that its CRC-32 becomes crc: run the
// register back from its final value through the last four steps.
void ForceCrc32(Bytes &data, uint32_t crc)
{
    uint32_t table[256];
    uint8_t byTopByte[256];
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
        byTopByte[c >> 24] = static_cast<uint8_t>(n);
    }
    uint32_t reg = ~crc;
    for (int k = 0; k < 4; ++k) {
        const uint8_t j = byTopByte[reg >> 24];
        reg = ((reg ^ table[j]) << 8) | j;
    }
    reg ^= UpdateCrc32(data.data(), data.size() - 4, kCrc32Start);
    for (int k = 0; k < 4; ++k)
        data[data.size() - 4 + k] = static_cast<uint8_t>(reg >> (8 * k));
}

uint32_t Crc(const Bytes &data) { return ~UpdateCrc32(data.data(), data.size(), kCrc32Start); }

// Only equal bytes make a stored file the content's: not the same size and
// CRC-32, and never a file that cannot be read. A second entry after the
// first checks that the scheme is read on from the right place.
TEST(SchemeStore, ReuseNeedsEqualBytes)
{
    const Bytes content = Pattern(120000, 21);
    Bytes forged = Pattern(120000, 22);
    ForceCrc32(forged, Crc(content));
    Bytes crcZero = content;
    ForceCrc32(crcZero, 0);
    ASSERT_EQ(Crc(forged), Crc(content));
    ASSERT_NE(forged, content);
    ASSERT_EQ(Crc(crcZero), 0u);
    Bytes lastByte = content;
    lastByte.back() ^= 1;

    struct {
        const char *label;
        std::map<std::string, Bytes> store;
        const char *unreadable;
        Bytes scheme;
        const char *target;
    } cases[] = {
        {"identical bytes", {{"a.wav", content}}, nullptr, content, "a.wav"},
        {"same size and CRC, other bytes", {{"a.wav", forged}}, nullptr, content, "a001.wav"},
        {"unreadable, content with CRC 0", {{"a.wav", content}}, "a.wav", crcZero, "a001.wav"},
        {"last byte differs, next identical", {{"a.wav", lastByte}, {"a001.wav", content}},
         nullptr, content, "a001.wav"},
        {"last byte differs, next free", {{"a.wav", lastByte}}, nullptr, content, "a001.wav"},
    };
    for (const auto &c : cases) {
        MemoryFiles fs;
        fs.folders.insert("C:\\Host\\Sounds");
        for (const auto &f : c.store)
            fs.files[Sounds(f.first)] = f.second;
        if (c.unreadable)
            fs.unreadable.insert(Sounds(c.unreadable));
        RawItem item;
        item.files[0] = "a.wav";
        item.files[1] = "b.wav";
        Bytes tail;
        AppendEntry(tail, c.scheme);
        AppendEntry(tail, Text("b"));
        fs.files["C:\\Host\\in.tvs"] = SchemeFileBytes(Record({item}), tail);

        RecordingCollection loaded;
        ASSERT_TRUE(Load(fs, loaded, "C:\\Host\\in.tvs")) << c.label;
        EXPECT_EQ(Sounds(c.target), loaded.items[0].soundOnPath) << c.label;
        EXPECT_EQ(fs.files[Sounds(c.target)], c.scheme) << c.label;
        EXPECT_EQ(fs.files[loaded.items[0].soundOffPath], Text("b")) << c.label;
        for (const auto &f : c.store)
            EXPECT_EQ(fs.files[Sounds(f.first)], f.second) << c.label << ": " << f.first;
    }
}

// A load lists each store folder once and looks no name up; a reload of the
// same scheme only opens and reads.
TEST(SchemeStore, FileCallsOfALoadAndAReload)
{
    MemoryFiles fs;
    fs.files["D:\\a.wav"] = Pattern(70000, 1);
    fs.files["D:\\a.ico"] = Pattern(1000, 2);
    fs.files["D:\\b.wav"] = Pattern(60000, 3);
    std::vector<KeyItem> items = {MakeItem(20, "A", "D:\\a.wav", "", "D:\\a.ico"),
                                  MakeItem(21, "B", "D:\\b.wav")};
    ASSERT_TRUE(Save(fs, items, MakeHeader(0)));
    struct {
        const char *label;
        int open, write, move, remove, lookUp, list;
    } phases[] = {
        // The scheme and three temporary files; the folders are probed and
        // made, so there is nothing to list.
        {"first load", 4, 5, 3, 0, 2, 0},
        // The scheme and the three stored files to compare.
        {"reload", 4, 0, 0, 0, 2, 2},
    };
    for (const auto &p : phases) {
        fs.calls.clear();
        RecordingCollection loaded;
        ASSERT_TRUE(Load(fs, loaded)) << p.label;
        EXPECT_EQ(fs.calls["open"], p.open) << p.label;
        EXPECT_EQ(fs.calls["write"], p.write) << p.label;
        EXPECT_EQ(fs.calls["move"], p.move) << p.label;
        EXPECT_EQ(fs.calls["delete"], p.remove) << p.label;
        EXPECT_EQ(fs.calls["look-up"], p.lookUp) << p.label;
        EXPECT_EQ(fs.calls["list"], p.list) << p.label;
        EXPECT_EQ(fs.calls["seek"], 0) << p.label;
    }
    EXPECT_EQ(fs.FilesUnder("C:\\Host\\Sounds").size(), 2u);
    EXPECT_EQ(fs.FilesUnder("C:\\Host\\Icons").size(), 1u);
}

TEST(SchemeStore, IconsFolderTakenByAFile)
{
    MemoryFiles fs;
    fs.files["C:\\Host\\Icons"] = Text("not a folder");
    Bytes record = Record({[] {
        RawItem item;
        item.files[0] = "on.wav";
        item.files[2] = "on.ico";
        return item;
    }()});
    Bytes tail;
    AppendEntry(tail, Text("sound"));
    AppendEntry(tail, Text("icon"));
    fs.files["C:\\Host\\in.tvs"] = SchemeFileBytes(record, tail);
    RecordingCollection loaded;
    EXPECT_FALSE(Load(fs, loaded, "C:\\Host\\in.tvs"));
    EXPECT_EQ(fs.files[Sounds("on.wav")], Text("sound")) << "the sound unpacked first stays";
    EXPECT_EQ(fs.files["C:\\Host\\Icons"], Text("not a folder"));
}

TEST(SchemeStore, AllNamesTakenFailsWithoutOverwriting)
{
    MemoryFiles fs;
    fs.folders.insert("C:\\Host\\Sounds");
    fs.files[Sounds("a.wav")] = Text("x");
    char name[32];
    for (int i = 1; i <= 998; ++i) {
        std::snprintf(name, sizeof name, "a%03d.wav", i);
        fs.files[Sounds(name)] = Text("x");
    }
    auto before = fs.files;
    Bytes record = Record({[] {
        RawItem item;
        item.files[0] = "a.wav";
        return item;
    }()});
    Bytes tail;
    AppendEntry(tail, Text("y"));
    fs.files["C:\\Host\\in.tvs"] = SchemeFileBytes(record, tail);
    before["C:\\Host\\in.tvs"] = fs.files["C:\\Host\\in.tvs"];
    RecordingCollection loaded;
    EXPECT_FALSE(Load(fs, loaded, "C:\\Host\\in.tvs"));
    EXPECT_EQ(fs.files, before);
}

// Malformed files: each fails to load, leaves no temporary file and no
// shortened file in the store.
TEST(SchemeStore, HostileFilesTable)
{
    RawItem item;
    item.files[0] = "on.wav";
    item.files[3] = "off.ico";
    Bytes record = Record({item});
    Bytes content = Pattern(60000, 9);
    Bytes goodTail;
    AppendEntry(goodTail, content);
    AppendEntry(goodTail, Text("icon"));
    Bytes good = SchemeFileBytes(record, goodTail);

    auto cut = [](Bytes b, size_t keep) {
        b.resize(keep);
        return b;
    };
    Bytes longLength = good;
    longLength[0] = static_cast<uint8_t>(longLength[0] + 100);  // record beyond the file
    Bytes hugeLength = good;
    hugeLength[3] = 0xFF;
    Bytes zeroLength = good;
    std::memset(zeroLength.data(), 0, 4);
    Bytes overstated;
    AppendEntry(overstated, content, content.size() + 1);
    AppendEntry(overstated, Text("icon"));
    Bytes understatedLast;
    AppendEntry(understatedLast, content);
    AppendEntry(understatedLast, Text("icon"), 5);
    Bytes hugeEntry;
    AppendEntry(hugeEntry, content, ~uint64_t(0));
    Bytes badName = SchemeFileBytes(Record({[] {
        RawItem hostile;
        hostile.files[0] = "..\\..\\evil.wav";
        return hostile;
    }()}), goodTail);
    Bytes deviceName = SchemeFileBytes(Record({[] {
        RawItem hostile;
        hostile.files[2] = "CON.ico";
        return hostile;
    }()}), goodTail);
    // After a good name: refused before anything is unpacked.
    Bytes tempName = SchemeFileBytes(Record({[] {
        RawItem hostile;
        hostile.files[0] = "on.wav";
        hostile.files[1] = kTemp;
        return hostile;
    }()}), goodTail);

    const size_t recordEnd = 4 + record.size();
    // An overstated length that the file can still serve takes bytes of the
    // next entry as content; the format cannot tell, so that file stays, and
    // the load then fails on the entry it broke.
    struct {
        const char *label;
        Bytes file;
        bool storeMayHoldOtherBytes = false;
        bool nothingUnpacked = false;
    } cases[] = {
        {"empty file", {}},
        {"length cut", cut(good, 3)},
        {"zero record length", zeroLength},
        {"record longer than the file", longLength},
        {"record length near 4 GiB", hugeLength},
        {"record cut short", cut(good, recordEnd - 1)},
        {"entry length missing", cut(good, recordEnd)},
        {"entry length cut", cut(good, recordEnd + 7)},
        {"content cut short", cut(good, recordEnd + 8 + 59999)},
        {"content cut inside a chunk", cut(good, recordEnd + 8 + 51201)},
        {"second entry missing", cut(good, recordEnd + 8 + 60000)},
        {"last content cut", cut(good, good.size() - 1)},
        {"length beyond the content", SchemeFileBytes(record, overstated), true},
        {"length beyond the file", SchemeFileBytes(record, understatedLast)},
        {"length of 2^64-1", SchemeFileBytes(record, hugeEntry)},
        {"name leaving the store", badName, false, true},
        {"device name", deviceName, false, true},
        {"the temporary file's name", tempName, false, true},
    };
    for (const auto &c : cases) {
        MemoryFiles fs;
        fs.files["C:\\Host\\in.tvs"] = c.file;
        RecordingCollection loaded;
        EXPECT_FALSE(Load(fs, loaded, "C:\\Host\\in.tvs")) << c.label;
        for (const std::string &stored : fs.FilesUnder("C:\\Host\\Sounds"))
            if (!c.storeMayHoldOtherBytes) {
                EXPECT_EQ(fs.files[stored], content) << c.label << ": " << stored;
            }
        for (const std::string &stored : fs.FilesUnder("C:\\Host\\Icons"))
            EXPECT_EQ(fs.files[stored], Text("icon")) << c.label << ": " << stored;
        EXPECT_EQ(fs.files.size(), 1u + fs.FilesUnder("C:\\Host\\Sounds").size() +
                                       fs.FilesUnder("C:\\Host\\Icons").size())
            << c.label << ": nothing outside the store";
        if (c.nothingUnpacked) {
            EXPECT_EQ(fs.files.size(), 1u) << c.label << ": nothing written";
        }
    }
    // The same file, whole, loads.
    MemoryFiles fs;
    fs.files["C:\\Host\\in.tvs"] = good;
    RecordingCollection loaded;
    EXPECT_TRUE(Load(fs, loaded, "C:\\Host\\in.tvs"));
}

TEST(SchemeStore, EveryFailedWriteOfASaveIsReported)
{
    MemoryFiles probe;
    probe.files["D:\\a.wav"] = Pattern(120000, 4);
    std::vector<KeyItem> items = {MakeItem(20, "A", "D:\\a.wav", "", "D:\\a.wav")};
    std::vector<KeyItem> copy = items;
    ASSERT_TRUE(Save(probe, copy, MakeHeader(0)));
    const long long total = static_cast<long long>(probe.files[kScheme].size());
    for (long long budget : {0LL, 3LL, 4LL, 60LL, total / 2, total - 1}) {
        MemoryFiles fs;
        fs.files["D:\\a.wav"] = probe.files["D:\\a.wav"];
        fs.writeBudget = budget;
        copy = items;
        EXPECT_FALSE(Save(fs, copy, MakeHeader(0))) << "budget " << budget;
        EXPECT_EQ(fs.openHandles, 0) << "budget " << budget;
        EXPECT_LE(fs.files[kScheme].size(), static_cast<size_t>(budget));
    }
}

TEST(SchemeStore, FileEndingWhileEmbeddedFailsTheSave)
{
    MemoryFiles fs;
    fs.files["D:\\a.wav"] = Pattern(120000, 4);
    fs.readBudget = 100000;  // the file "ends" early after it was sized
    std::vector<KeyItem> items = {MakeItem(20, "A", "D:\\a.wav")};
    EXPECT_FALSE(Save(fs, items, MakeHeader(0)));
}

TEST(SchemeStore, StoreFailuresLeaveNoTemporaryFile)
{
    Bytes record = Record({[] {
        RawItem item;
        item.files[0] = "on.wav";
        return item;
    }()});
    Bytes tail;
    AppendEntry(tail, Pattern(120000, 5));
    Bytes scheme = SchemeFileBytes(record, tail);

    struct {
        const char *label;
        long long writeBudget;
        long long readBudget;
        bool failRename;
    } cases[] = {
        {"write to the temporary file fails", 60000, -1, false},
        {"read of the content fails", -1, static_cast<long long>(4 + record.size() + 8 + 70000),
         false},
        {"move into place fails", -1, -1, true},
    };
    for (const auto &c : cases) {
        MemoryFiles fs;
        fs.files["C:\\Host\\in.tvs"] = scheme;
        fs.writeBudget = c.writeBudget;
        fs.readBudget = c.readBudget;
        fs.failRename = c.failRename;
        RecordingCollection loaded;
        EXPECT_FALSE(Load(fs, loaded, "C:\\Host\\in.tvs")) << c.label;
        EXPECT_TRUE(fs.FilesUnder("C:\\Host\\Sounds").empty()) << c.label;
    }
}

TEST(SchemeStore, FileCrcOverChunks)
{
    MemoryFiles fs;
    fs.files["C:\\a"] = Text("123456789");
    fs.files["C:\\big"] = Pattern(200000, 2);
    EXPECT_EQ(ComputeFileCrc32(fs, "C:\\a"), 0xCBF43926u);
    const Bytes &big = fs.files["C:\\big"];
    EXPECT_EQ(ComputeFileCrc32(fs, "C:\\big"), ~UpdateCrc32(big.data(), big.size(), kCrc32Start));
    EXPECT_EQ(ComputeFileCrc32(fs, "C:\\missing"), 0u);
    EXPECT_EQ(fs.openHandles, 0);
}

TEST(SchemeStore, SeedCorpusLoads)
{
    // The fuzz target's seeds are valid schemes written by WriteSchemeFile.
    const char *seeds[] = {"no-files.tvs", "one-of-each.tvs", "three-items.tvs",
                           "store-reuse.tvs"};
    for (const char *seed : seeds) {
        std::ifstream in(std::string(TOLVAR_SCHEME_CORPUS) + "/" + seed, std::ios::binary);
        ASSERT_TRUE(in.good()) << seed;
        MemoryFiles fs;
        fs.files["C:\\Host\\in.tvs"] =
            Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        RecordingCollection loaded;
        EXPECT_TRUE(Load(fs, loaded, "C:\\Host\\in.tvs")) << seed;
    }
}

// ---- the same code on real files -------------------------------------------

class RealStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tolvar-scheme-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }

    std::string Path(const std::string &relative) const { return root_ + "\\" + relative; }
    void Put(const std::string &relative, const Bytes &content) const
    {
        std::ofstream(PosixSchemeFiles::Native(Path(relative).c_str()), std::ios::binary)
            .write(reinterpret_cast<const char *>(content.data()),
                   static_cast<std::streamsize>(content.size()));
    }
    Bytes Get(const std::string &path) const
    {
        std::ifstream in(PosixSchemeFiles::Native(path.c_str()), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> List(const std::string &relative) const
    {
        std::vector<std::string> names;
        if (DIR *d = opendir(PosixSchemeFiles::Native(Path(relative).c_str()).c_str())) {
            while (dirent *e = readdir(d))
                if (e->d_name[0] != '.')
                    names.push_back(e->d_name);
            closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string root_;
};

TEST_F(RealStore, RoundTripAndReuse)
{
    mkdir((root_ + "/media").c_str(), 0755);
    Put("media\\on.wav", Pattern(51201, 1));
    Put("media\\caps.ico", Pattern(766, 2));
    PosixSchemeFiles fs(root_);
    std::vector<KeyItem> items = {
        MakeItem(20, "Caps Lock", Path("media\\on.wav").c_str(), "", Path("media\\caps.ico").c_str(),
                 Path("media\\caps.ico").c_str())};
    KeyCollectionHeader header = MakeHeader(1);
    ASSERT_TRUE(WriteSchemeFile(fs, Path("s.tvs").c_str(), header, items.data()));

    for (int round = 0; round < 2; ++round) {
        RecordingCollection loaded;
        ASSERT_TRUE(ReadSchemeFile(fs, Path("s.tvs").c_str(), loaded)) << round;
        EXPECT_EQ(Path("Sounds\\on.wav"), loaded.items[0].soundOnPath);
        EXPECT_EQ(Path("Icons\\caps.ico"), loaded.items[0].iconOnPath);
        EXPECT_EQ(Path("Icons\\caps.ico"), loaded.items[0].iconOffPath);
        EXPECT_EQ(Get(loaded.items[0].soundOnPath), Pattern(51201, 1));
        EXPECT_EQ(Get(loaded.items[0].iconOffPath), Pattern(766, 2));
        EXPECT_EQ(List("Sounds"), std::vector<std::string>{"on.wav"}) << round;
        EXPECT_EQ(List("Icons"), std::vector<std::string>{"caps.ico"}) << round;
    }

    // Other content under the same name goes beside it.
    Put("Sounds\\on.wav", Text("changed"));
    RecordingCollection loaded;
    ASSERT_TRUE(ReadSchemeFile(fs, Path("s.tvs").c_str(), loaded));
    EXPECT_EQ(Path("Sounds\\on001.wav"), loaded.items[0].soundOnPath);
    EXPECT_EQ(Get(Path("Sounds\\on.wav")), Text("changed"));
    EXPECT_EQ(ComputeFileCrc32(fs, Path("Sounds\\on001.wav").c_str()),
              ~UpdateCrc32(Pattern(51201, 1).data(), 51201, kCrc32Start));
}

TEST_F(RealStore, IconsAsPlainFileFailsAfterSounds)
{
    Put("on.wav", Text("sound"));
    Put("on.ico", Text("icon"));
    Put("Icons", Text("a file"));
    PosixSchemeFiles fs(root_);
    std::vector<KeyItem> items = {
        MakeItem(20, "Caps Lock", Path("on.wav").c_str(), "", Path("on.ico").c_str())};
    KeyCollectionHeader header = MakeHeader(1);
    ASSERT_TRUE(WriteSchemeFile(fs, Path("s.tvs").c_str(), header, items.data()));
    RecordingCollection loaded;
    EXPECT_FALSE(ReadSchemeFile(fs, Path("s.tvs").c_str(), loaded));
    EXPECT_EQ(List("Sounds"), std::vector<std::string>{"on.wav"});
    EXPECT_EQ(Get(Path("Icons")), Text("a file"));
}

} // namespace
} // namespace tolvar
