// Scheme save/load on the Win32 file layer through a real KeyCollection, and
// the file dialogs: what they hand the platform's open/save call, recorded by
// redirecting that import. (The options dialog's tests drive the real dialogs
// behind Load... and Save....)
// The program lives in a folder of its own (see CMakeLists.txt), so "Sounds"
// and "Icons" beside it belong to these tests alone.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "options/dialog/file_dialogs.h"
#include "options/frame/key_collection.h"
#include "options/scheme/scheme_io.h"
#include "options/scheme/scheme_store.h"
#include "tests/scheme/scheme_bytes.h"
#include "tests/support/import_patch.h"

namespace tolvar {
namespace {

using namespace tolvar::testing;

std::string HostFolder()
{
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    *std::strrchr(module, '\\') = 0;
    return module;
}

void RemoveTree(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
    DeleteFileA(folder.c_str());  // when the name is taken by a plain file
}

std::vector<std::string> List(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void Put(const std::string &path, const Bytes &content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    if (!content.empty())
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, content.size()) << path;
}

Bytes Get(const std::string &path)
{
    Bytes content;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return content;
    uint8_t chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        content.insert(content.end(), chunk, chunk + got);
    CloseHandle(file);
    return content;
}

class SchemeFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_ = HostFolder();
        media_ = host_ + "\\media";
        RemoveTree(host_ + "\\Sounds");
        RemoveTree(host_ + "\\Icons");
        RemoveTree(media_);
        CreateDirectoryA(media_.c_str(), nullptr);
    }
    void TearDown() override
    {
        RemoveTree(host_ + "\\Sounds");
        RemoveTree(host_ + "\\Icons");
        RemoveTree(media_);
    }

    std::string Media(const std::string &name) const { return media_ + "\\" + name; }
    std::string Sounds(const std::string &name) const { return host_ + "\\Sounds\\" + name; }
    std::string Icons(const std::string &name) const { return host_ + "\\Icons\\" + name; }

    // Saves the items through a real KeyCollection.
    bool Save(const std::vector<KeyItem> &items, const std::string &path)
    {
        KeyCollection collection;
        KeyCollectionHeader header = MakeHeader(static_cast<uint32_t>(items.size()));
        collection.SetHeader(&header);
        for (const KeyItem &item : items)
            collection.AppendItem(&item);
        return WriteScheme(collection, path.c_str());
    }

    // Loads into a fresh KeyCollection; copies out its items on success.
    bool Load(const std::string &path, std::vector<KeyItem> *items = nullptr,
              KeyCollectionHeader *header = nullptr)
    {
        KeyCollection collection;
        bool ok = ReadScheme(collection, path.c_str());
        EXPECT_TRUE(GetFileAttributesA((host_ + "\\Sounds\\" + kStoreTempFileName).c_str()) ==
                        INVALID_FILE_ATTRIBUTES &&
                    GetFileAttributesA((host_ + "\\Icons\\" + kStoreTempFileName).c_str()) ==
                        INVALID_FILE_ATTRIBUTES)
            << "no temporary file is left";
        if (ok && items) {
            KeyCollectionHeader *block = collection.GetData();
            items->assign(block->items, block->items + block->itemCount);
            if (header)
                *header = *block;
        }
        return ok;
    }

    std::string host_;
    std::string media_;
};

TEST_F(SchemeFiles, RoundTripIsByteIdentical)
{
    Put(Media("on.wav"), Pattern(60001, 1));
    Put(Media("off.wav"), Pattern(51200, 2));
    Put(Media("caps on.ico"), Pattern(766, 3));
    Put(Media("caps-off.ico"), Pattern(1, 4));
    std::vector<KeyItem> items = {
        MakeItem(20, "Caps Lock", Media("on.wav").c_str(), Media("off.wav").c_str(),
                 Media("caps on.ico").c_str(), Media("caps-off.ico").c_str()),
        MakeItem(65, "Ctrl + A", "", "", Media("caps on.ico").c_str(), ""),
    };
    std::string scheme = Media("all.tvs");
    ASSERT_TRUE(Save(items, scheme));
    Bytes file = Get(scheme);
    ASSERT_GT(file.size(), 5u);
    EXPECT_EQ(file[4], 1) << "version byte, plain";

    std::vector<KeyItem> loaded;
    KeyCollectionHeader header;
    ASSERT_TRUE(Load(scheme, &loaded, &header));
    EXPECT_EQ(+header.beepOnly, 1);
    EXPECT_EQ(+header.numLockOn, 1);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(Sounds("on.wav"), loaded[0].soundOnPath);
    EXPECT_EQ(Sounds("off.wav"), loaded[0].soundOffPath);
    EXPECT_EQ(Icons("caps on.ico"), loaded[0].iconOnPath);
    EXPECT_EQ(Icons("caps-off.ico"), loaded[0].iconOffPath);
    EXPECT_EQ(Icons("caps on.ico"), loaded[1].iconOnPath);
    EXPECT_STREQ(loaded[1].keyName, "Ctrl + A");
    for (int f = 0; f < kPathFieldCount; ++f)
        EXPECT_EQ(Get(PathField(loaded[0], f)), Get(PathField(items[0], f))) << f;
    EXPECT_EQ(FileCrc32(Sounds("on.wav").c_str()), FileCrc32(Media("on.wav").c_str()));
}

TEST_F(SchemeFiles, StoreReusesAndCountsNames)
{
    Put(Media("beep.wav"), Text("scheme beep"));
    Put(Media("name"), Text("no extension"));
    std::vector<KeyItem> items = {
        MakeItem(20, "Caps Lock", Media("beep.wav").c_str(), Media("beep.wav").c_str(),
                 Media("name").c_str()),
    };
    std::string scheme = Media("s.tvs");
    ASSERT_TRUE(Save(items, scheme));

    // Same file twice: unpacked once, both fields point at it.
    std::vector<KeyItem> loaded;
    ASSERT_TRUE(Load(scheme, &loaded));
    EXPECT_EQ(List(host_ + "\\Sounds"), std::vector<std::string>{"beep.wav"});
    EXPECT_EQ(Sounds("beep.wav"), loaded[0].soundOffPath);

    // Loading again creates nothing new.
    ASSERT_TRUE(Load(scheme, &loaded));
    EXPECT_EQ(List(host_ + "\\Sounds"), std::vector<std::string>{"beep.wav"});
    EXPECT_EQ(List(host_ + "\\Icons"), std::vector<std::string>{"name"});

    // Other content under the names: counted names, the old files untouched.
    Put(Sounds("beep.wav"), Text("user's own beep"));
    Put(Sounds("beep001.wav"), Text("another beep"));
    Put(Icons("name"), Text("other"));
    ASSERT_TRUE(Load(scheme, &loaded));
    EXPECT_EQ(Sounds("beep002.wav"), loaded[0].soundOnPath);
    EXPECT_EQ(Sounds("beep002.wav"), loaded[0].soundOffPath);
    EXPECT_EQ(Icons("name001"), loaded[0].iconOnPath);
    EXPECT_EQ(Get(Sounds("beep.wav")), Text("user's own beep"));
    EXPECT_EQ(Get(Sounds("beep001.wav")), Text("another beep"));
    EXPECT_EQ(Get(Sounds("beep002.wav")), Text("scheme beep"));
    EXPECT_EQ(Get(Icons("name001")), Text("no extension"));
}

// The store is found the way the system looks names up: in any letter case,
// by a file's short name, and with characters beyond ASCII.
TEST_F(SchemeFiles, StoreNamesAsTheSystemFindsThem)
{
    struct {
        const char *label;
        const char *stored;     // a file in "Sounds" before the load
        bool sameContent;       // whether it holds the scheme's content
        const char *inScheme;   // the name the scheme gives; null: the stored file's short name
        const char *target;     // the name the item ends on (null: the scheme's name)
    } cases[] = {
        {"other case, same bytes", "BEEP.WAV", true, "beep.wav", nullptr},
        {"other case, other bytes", "BEEP.WAV", false, "beep.wav", "beep001.wav"},
        {"beyond ASCII, other case, same bytes", "\xC9T\xC9.wav", true, "\xE9t\xE9.wav", nullptr},
        {"beyond ASCII, other case, other bytes", "\xC9T\xC9.wav", false, "\xE9t\xE9.wav",
         "\xE9t\xE9" "001.wav"},
        {"short name, same bytes", "a long sound name.wav", true, nullptr, nullptr},
    };
    for (const auto &c : cases) {
        RemoveTree(host_ + "\\Sounds");
        CreateDirectoryA((host_ + "\\Sounds").c_str(), nullptr);
        Put(Sounds(c.stored), c.sameContent ? Text("scheme content") : Text("stored content"));
        std::string name = c.inScheme ? c.inScheme : "";
        if (!c.inScheme) {
            char shortPath[MAX_PATH] = {};
            ASSERT_NE(GetShortPathNameA(Sounds(c.stored).c_str(), shortPath, MAX_PATH), 0u);
            name = std::strrchr(shortPath, '\\') + 1;
            ASSERT_NE(name, c.stored) << c.label << ": the file has a short name";
        }
        Put(Media(name), Text("scheme content"));
        ASSERT_TRUE(Save({MakeItem(20, "K", Media(name).c_str())}, Media("s.tvs"))) << c.label;
        std::vector<KeyItem> loaded;
        ASSERT_TRUE(Load(Media("s.tvs"), &loaded)) << c.label;
        EXPECT_EQ(Sounds(c.target ? c.target : name), loaded[0].soundOnPath) << c.label;
        EXPECT_EQ(Get(loaded[0].soundOnPath), Text("scheme content")) << c.label;
        EXPECT_EQ(List(host_ + "\\Sounds").size(), c.target ? 2u : 1u) << c.label;
        DeleteFileA(Media(name).c_str());
    }
}

TEST_F(SchemeFiles, IconsTakenByAFileFailsAfterTheSounds)
{
    Put(Media("on.wav"), Text("sound"));
    Put(Media("on.ico"), Text("icon"));
    Put(host_ + "\\Icons", Text("a file, not a folder"));
    std::string scheme = Media("s.tvs");
    ASSERT_TRUE(Save({MakeItem(20, "Caps Lock", Media("on.wav").c_str(), "",
                               Media("on.ico").c_str())},
                     scheme));
    EXPECT_FALSE(Load(scheme));
    EXPECT_EQ(Get(Sounds("on.wav")), Text("sound"));
    EXPECT_EQ(Get(host_ + "\\Icons"), Text("a file, not a folder"));
}

TEST_F(SchemeFiles, MissingFileIsStoredWithLengthZero)
{
    std::string scheme = Media("s.tvs");
    ASSERT_TRUE(Save({MakeItem(20, "Caps Lock", Media("gone.wav").c_str())}, scheme));
    Bytes file = Get(scheme);
    ASSERT_GE(file.size(), 8u);
    EXPECT_EQ(Bytes(file.end() - 8, file.end()), Bytes(8, 0)) << "the last entry is length 0";
    std::vector<KeyItem> loaded;
    ASSERT_TRUE(Load(scheme, &loaded));
    EXPECT_STREQ(loaded[0].soundOnPath, "gone.wav");
    EXPECT_EQ(GetFileAttributesA((host_ + "\\Sounds").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SchemeFiles, FailuresTable)
{
    RawItem item;
    item.files[0] = "on.wav";
    Bytes good = [&] {
        Bytes tail;
        AppendEntry(tail, Pattern(70000, 5));
        return SchemeFileBytes(Record({item}), tail);
    }();
    Bytes cut = good;
    cut.resize(cut.size() - 1);
    RawItem escaping;
    escaping.files[0] = "..\\escaped.wav";
    RawItem device;
    device.files[2] = "nul.ico";
    // The load's own temporary file, named in another case, after a good name.
    RawItem temporary;
    temporary.files[0] = "on.wav";
    temporary.files[1] = "f564179c-3aea-4642-af18-956699291133.TMP";
    Bytes shortTail;
    AppendEntry(shortTail, Text("x"));
    Bytes twoEntries = shortTail;
    AppendEntry(twoEntries, Text("x"));
    struct {
        const char *label;
        Bytes file;
    } cases[] = {
        {"content cut short", cut},
        {"name leaving the store", SchemeFileBytes(Record({escaping}), shortTail)},
        {"device name", SchemeFileBytes(Record({device}), shortTail)},
        {"the temporary file's name", SchemeFileBytes(Record({temporary}), twoEntries)},
        {"record longer than the file", Bytes{200, 0, 0, 0, 1}},
    };
    for (const auto &c : cases) {
        RemoveTree(host_ + "\\Sounds");
        RemoveTree(host_ + "\\Icons");
        Put(Media("bad.tvs"), c.file);
        EXPECT_FALSE(Load(Media("bad.tvs"))) << c.label;
        EXPECT_TRUE(List(host_ + "\\Sounds").empty()) << c.label;
        EXPECT_EQ(GetFileAttributesA((host_ + "\\escaped.wav").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    Put(Media("good.tvs"), good);
    EXPECT_TRUE(Load(Media("good.tvs")));
    EXPECT_FALSE(Load(Media("does-not-exist.tvs")));
}

TEST_F(SchemeFiles, SaveFailures)
{
    KeyCollection empty;
    EXPECT_FALSE(WriteScheme(empty, Media("empty.tvs").c_str())) << "no data block";
    EXPECT_EQ(GetFileAttributesA(Media("empty.tvs").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(Save({MakeItem(20, "Caps Lock")}, Media("no-such-folder\\s.tvs")));
}

TEST_F(SchemeFiles, FileCrc32OfRealFiles)
{
    Put(Media("digits"), Text("123456789"));
    Put(Media("big"), Pattern(150000, 6));
    Bytes big = Pattern(150000, 6);
    EXPECT_EQ(FileCrc32(Media("digits").c_str()), 0xCBF43926u);
    EXPECT_EQ(FileCrc32(Media("big").c_str()), ~UpdateCrc32(big.data(), big.size(), kCrc32Start));
    EXPECT_EQ(FileCrc32(Media("missing").c_str()), 0u);
}

// The 32-bit build asks the CPU for SSE2 at run time: whichever way it takes
// here, the result is the rule's.
TEST(Scramble, EveryWayEqualsTheRuleOnThisCpu)
{
    EXPECT_EQ(ScrambleSweep(ScrambleBytes), "");
    const bool sse2 = ScrambleBytesSse2(nullptr, 0);
    RecordProperty("sse2", sse2 ? "yes" : "no");
    if (sse2) {
        EXPECT_EQ(ScrambleSweep(ScrambleBytesSse2), "");
    }
}

// ---- file dialogs ---------------------------------------------------------

// What one call of GetOpenFileNameA/GetSaveFileNameA received.
struct DialogCall {
    bool save = false;
    OPENFILENAMEA record{};
    std::string filter;  // with its NULs, up to and including the final pair
    std::string initialFile, initialFolder, title, defaultExtension;
};

std::vector<DialogCall> g_calls;
const char *g_answer = nullptr;  // path to hand back, or null to cancel

std::string FilterList(const char *filter)
{
    const char *end = filter;
    while (end[0] || end[1])
        ++end;
    return std::string(filter, end + 2);
}

BOOL Record(LPOPENFILENAMEA record, bool save)
{
    DialogCall call;
    call.save = save;
    std::memcpy(&call.record, record, 76);
    call.filter = record->lpstrFilter ? FilterList(record->lpstrFilter) : "";
    call.initialFile = record->lpstrFile;
    call.initialFolder = record->lpstrInitialDir ? record->lpstrInitialDir : "<null>";
    call.title = record->lpstrTitle ? record->lpstrTitle : "<null>";
    call.defaultExtension = record->lpstrDefExt ? record->lpstrDefExt : "<null>";
    g_calls.push_back(call);
    if (!g_answer)
        return FALSE;
    lstrcpynA(record->lpstrFile, g_answer, static_cast<int>(record->nMaxFile));
    return TRUE;
}

BOOL WINAPI RecordOpen(LPOPENFILENAMEA record) { return Record(record, false); }
BOOL WINAPI RecordSave(LPOPENFILENAMEA record) { return Record(record, true); }

class RecordedDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        HMODULE self = GetModuleHandleA(nullptr);
        open_ = PatchImport(self, "comdlg32.dll", "GetOpenFileNameA",
                            reinterpret_cast<void *>(&RecordOpen));
        save_ = PatchImport(self, "comdlg32.dll", "GetSaveFileNameA",
                            reinterpret_cast<void *>(&RecordSave));
        ASSERT_NE(open_, nullptr);
        ASSERT_NE(save_, nullptr);
    }
    void TearDown() override
    {
        HMODULE self = GetModuleHandleA(nullptr);
        tolvar_test::PatchImport(self, "comdlg32.dll", "GetOpenFileNameA", open_);
        tolvar_test::PatchImport(self, "comdlg32.dll", "GetSaveFileNameA", save_);
        g_answer = nullptr;
    }
    static void *PatchImport(HMODULE m, const char *dll, const char *fn, void *to)
    {
        return tolvar_test::PatchImport(m, dll, fn, to);
    }

    void *open_ = nullptr;
    void *save_ = nullptr;
};

TEST_F(RecordedDialogs, RecordTable)
{
    using namespace std::string_literals;
    const std::string host = HostFolder();
    HWND owner = reinterpret_cast<HWND>(0x1234);
    struct Case {
        const char *label;
        int kind;  // 0 icon, 1 sound, 2 scheme open, 3 scheme save
        const char *current;
        std::string filter, folder, ext;
        bool save;
        DWORD flags;
    } cases[] = {
        {"icon, empty field", 0, "", "Icon Files (*.ico)\0*.ico\0All Files (*.*)\0*.*\0\0"s,
         host + "\\Icons\\", "ico", false, 0x80180C},
        {"sound, empty field", 1, "", "Sound Files (*.wav)\0*.wav\0All Files (*.*)\0*.*\0\0"s,
         host + "\\Sounds\\", "wav", false, 0x80180C},
        {"icon, full path", 0, "D:\\art\\caps.ico",
         "Icon Files (*.ico)\0*.ico\0All Files (*.*)\0*.*\0\0"s, "D:\\art", "ico", false,
         0x80180C},
        {"sound, bare name", 1, "beep.wav",
         "Sound Files (*.wav)\0*.wav\0All Files (*.*)\0*.*\0\0"s, host + "\\Sounds\\", "wav",
         false, 0x80180C},
        {"scheme open", 2, "", "Scheme Files (*.tvs)\0*.tvs\0All Files (*.*)\0*.*\0\0"s,
         host + "\\Schemes\\", "tvs", false, 0x80180C},
        {"scheme save", 3, "", "Scheme Files (*.tvs)\0*.tvs\0All Files (*.*)\0*.*\0\0"s,
         host + "\\Schemes\\", "tvs", true, 0x80880E},
    };
    for (const Case &c : cases) {
        g_calls.clear();
        g_answer = "C:\\chosen\\file.ext";
        char path[261] = {};
        lstrcpynA(path, c.current, sizeof path);
        bool chosen;
        if (c.kind <= 1)
            chosen = PromptMediaFile(path, owner, c.kind == 1, 260, "The Title");
        else
            chosen = PromptSchemeFile(path, owner, 260, "The Title", c.kind == 2);
        EXPECT_TRUE(chosen) << c.label;
        EXPECT_STREQ(path, "C:\\chosen\\file.ext") << c.label;
        ASSERT_EQ(g_calls.size(), 1u) << c.label;
        const DialogCall &call = g_calls[0];
        EXPECT_EQ(call.save, c.save) << c.label;
        EXPECT_EQ(call.record.lStructSize, 76u) << c.label;
        EXPECT_EQ(call.record.hwndOwner, owner) << c.label;
        EXPECT_EQ(call.record.Flags, c.flags) << c.label;
        EXPECT_EQ(call.record.nFilterIndex, 1u) << c.label;
        EXPECT_EQ(call.record.nMaxFile, 260u) << c.label;
        EXPECT_EQ(call.record.lpstrFile, path) << c.label;
        EXPECT_EQ(call.record.lpstrFileTitle, nullptr) << c.label;
        EXPECT_EQ(call.record.hInstance, nullptr) << c.label;
        EXPECT_EQ(call.record.lpstrCustomFilter, nullptr) << c.label;
        EXPECT_EQ(call.filter, c.filter) << c.label;
        EXPECT_EQ(call.initialFile, c.current) << c.label;
        EXPECT_EQ(call.initialFolder, c.folder) << c.label;
        EXPECT_EQ(call.title, "The Title") << c.label;
        EXPECT_EQ(call.defaultExtension, c.ext) << c.label;
    }
}

TEST_F(RecordedDialogs, CancelLeavesThePathAndReportsFalse)
{
    g_answer = nullptr;
    char path[261] = "D:\\keep.wav";
    EXPECT_FALSE(PromptMediaFile(path, nullptr, true, 260, "t"));
    EXPECT_STREQ(path, "D:\\keep.wav");
}

TEST(FileFilterStrings, BuiltFromTheStringTable)
{
    char out[264];
    std::memset(out, 'X', sizeof out);
    BuildFileFilter(out, 28, "ico");
    using namespace std::string_literals;
    EXPECT_EQ(FilterList(out), "Icon Files (*.ico)\0*.ico\0All Files (*.*)\0*.*\0\0"s);
}

} // namespace
} // namespace tolvar
