// Tolvar.ini on a real file system under Wine: what a start makes of the
// files it finds (the settings file, a save's unfinished new file, files in
// other encodings, more keys than the program keeps), and how a save fails
// when the file cannot be replaced.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "host/settings/settings_file.h"
#include "host/settings/settings_ini.h"
#include "support/tolvar_program.h"

using namespace tolvar;
using namespace tolvar_test;

namespace {

const char kNone[] = "\x01(no file)";

Settings Marked(int displayMs)
{
    Settings s = DefaultSettings();
    s.displayMs = displayMs;
    return s;
}

// A settings file as a user might have written it: no end line.
std::string HandWritten(const Settings &s)
{
    return FormatIni(SettingsToProfile(s));
}

std::string Utf16(const std::wstring &text, bool littleEndian)
{
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (wchar_t ch : text) {
        const char low = static_cast<char>(ch & 0xFF), high = static_cast<char>(ch >> 8);
        bytes += littleEndian ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

std::wstring Wide(const std::string &ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

// The text in the ANSI code page, and whether a letter had to become '?'.
std::string Ansi(const std::wstring &text, bool *lost)
{
    BOOL usedDefault = FALSE;
    char out[512] = "";
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out, sizeof out,
                                      nullptr, &usedDefault);
    *lost = usedDefault != FALSE;
    return std::string(out, n > 0 ? n : 0);
}

TEST(SettingsFileLoad, WhatAStartMakesOfTheFilesItFinds)
{
    const Settings a = Marked(2000), b = Marked(3000);
    const std::string garbage("\x00\x01[Tolvar]\r\nVersion=9\r\n", 24);

    // A sound path with a letter of the code page and one that no single-byte
    // code page has, in a file saved as UTF-8 with a byte-order mark.
    const std::wstring accented = L"C:\\M\u00FCsik\\a.wav", foreign = L"C:\\\u4E00\\b.wav";
    bool accentedLost = false, foreignLost = false;
    Settings utf = a;
    utf.keys[0].soundOnPath = Ansi(accented, &accentedLost);
    utf.keys[1].soundOnPath = Ansi(foreign, &foreignLost);
    Settings marked = a;
    marked.keys[0].soundOnPath = "<1>";
    marked.keys[1].soundOnPath = "<2>";
    std::string utf8 = "\xEF\xBB\xBF" + HandWritten(marked);
    utf8.replace(utf8.find("<1>"), 3, "C:\\M\xC3\xBCsik\\a.wav");
    utf8.replace(utf8.find("<2>"), 3, "C:\\\xE4\xB8\x80\\b.wav");

    Settings many = a;
    many.keys.resize(kMaxKeys + 1, a.keys[0]);
    Settings kept = many;
    kept.keys.resize(kMaxKeys);

    const struct {
        const char *what;
        std::string ini, pending;  // kNone: no such file
        const Settings *loaded;    // null: the defaults, untouched
        std::string iniAfter;      // kNone: gone
        std::string unreadable, unfinished, original;  // kept aside: kNone: none
        const char *says;          // null: nothing to tell
        bool maySave;
    } cases[] = {
        {"only a new file written to its end", kNone, SettingsFileText(b), &b, SettingsFileText(b), kNone, kNone,
         kNone, nullptr, true},
        {"only a new file cut short", kNone, HandWritten(b), nullptr, kNone, kNone, HandWritten(b), kNone,
         "not written to its end", true},
        {"both readable: the last one saved whole counts", HandWritten(a), SettingsFileText(b), &a, HandWritten(a),
         kNone, SettingsFileText(b), kNone, "saved before", true},
        {"an unreadable file and a whole new one", garbage, SettingsFileText(b), &b, SettingsFileText(b), garbage,
         kNone, kNone, "could not read", true},
        {"both unreadable", garbage, "[Tolvar]\r\n", nullptr, kNone, garbage, "[Tolvar]\r\n", kNone,
         "default settings", true},
        {"UTF-16 with its mark", Utf16(Wide(HandWritten(a)), true), kNone, &a, Utf16(Wide(HandWritten(a)), true),
         kNone, kNone, kNone, nullptr, true},
        {"UTF-16, big-endian", Utf16(Wide(HandWritten(a)), false), kNone, &a, Utf16(Wide(HandWritten(a)), false),
         kNone, kNone, kNone, nullptr, true},
        {"UTF-8 with its mark", utf8, kNone, &utf, utf8, kNone, kNone,
         accentedLost || foreignLost ? utf8 : kNone, accentedLost || foreignLost ? "code page" : nullptr, true},
        {"marked as UTF-8 but not", "\xEF\xBB\xBF[Tolvar]\xFF\r\n", kNone, nullptr, kNone,
         "\xEF\xBB\xBF[Tolvar]\xFF\r\n", kNone, kNone, "marked as UTF-8", true},
        {"more keys than the program keeps", HandWritten(many), kNone, &kept, HandWritten(many), kNone, kNone,
         HandWritten(many), "1001 keys", true},
    };
    int row = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = FreshFolder("load-" + std::to_string(++row));
        const std::string ini = folder + "\\Tolvar.ini";
        ASSERT_TRUE(c.ini == kNone || WriteFileBytes(ini, c.ini));
        ASSERT_TRUE(c.pending == kNone || WriteFileBytes(ini + ".new", c.pending));
        Settings read = Marked(5000);
        const SettingsLoad load = LoadSettingsFile(ini, &read);
        EXPECT_EQ(c.loaded != nullptr, load.fromFile);
        EXPECT_TRUE(read == (c.loaded ? *c.loaded : Marked(5000)));
        EXPECT_EQ(c.maySave, load.maySave);
        EXPECT_EQ(c.says != nullptr, load.notice.find(c.says ? c.says : "") != std::string::npos &&
                                         !load.notice.empty())
            << load.notice;
        auto contents = [](const std::string &path) { return FileExists(path) ? ReadFileBytes(path) : kNone; };
        EXPECT_EQ(c.iniAfter, contents(ini));
        EXPECT_FALSE(FileExists(ini + ".new")) << "a new file is taken or kept aside";
        EXPECT_EQ(c.unreadable, contents(folder + "\\Tolvar.unreadable.ini"));
        EXPECT_EQ(c.unfinished, contents(folder + "\\Tolvar.unfinished.ini"));
        EXPECT_EQ(c.original, contents(folder + "\\Tolvar.original.ini"));
    }
}

TEST(SettingsFileSave, ReplacesTheFileOrFailsWithoutWaiting)
{
    enum Obstacle { kNothing, kReadOnly, kHeldOpen };
    const struct {
        const char *what;
        Obstacle obstacle;
        const char *says;  // null: saved
    } cases[] = {
        {"writable", kNothing, nullptr},
        {"read-only", kReadOnly, "read-only"},
        {"held open by another program", kHeldOpen, ""},
    };
    int row = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string ini = FreshFolder("save-" + std::to_string(++row)) + "\\Tolvar.ini";
        const std::string before = HandWritten(DefaultSettings());
        ASSERT_TRUE(WriteFileBytes(ini, before));
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (c.obstacle == kReadOnly) {
            ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
        } else if (c.obstacle == kHeldOpen) {
            holder = CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, holder);
        }
        const Settings next = Marked(4000);
        std::string error;
        const DWORD start = GetTickCount();
        const bool saved = SaveSettingsFile(ini, next, &error);
        const DWORD ms = GetTickCount() - start;
        if (holder != INVALID_HANDLE_VALUE)
            CloseHandle(holder);
        SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(c.says == nullptr, saved) << error;
        EXPECT_LT(ms, 1000u) << "the caller's thread waited";
        EXPECT_EQ(c.says ? before : SettingsFileText(next), ReadFileBytes(ini));
        EXPECT_FALSE(FileExists(ini + ".new"));
        EXPECT_NE(std::string::npos, error.find(c.says ? c.says : "")) << error;
    }
}

}  // namespace
