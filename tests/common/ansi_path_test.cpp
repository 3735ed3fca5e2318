// The ANSI path rule over a stand-in system: a code page of the first 256
// characters, and a few existing paths with short names.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/ansi_path.h"

using namespace tolvar;

namespace {

class FakeSystem final : public AnsiPathSystem {
public:
    // Existing paths and their short forms (the same text when the volume
    // keeps no short names).
    std::map<std::wstring, std::wstring> shortForms;
    int conversions = 0;

    bool ToAnsi(const wchar_t *text, char *out, size_t size) override
    {
        ++conversions;
        std::string ansi;
        for (const wchar_t *p = text; *p; ++p) {
            if (*p > 0xFF)
                return false;
            ansi += static_cast<char>(*p);
        }
        if (ansi.size() + 1 > size)
            return false;
        std::copy(ansi.c_str(), ansi.c_str() + ansi.size() + 1, out);
        return true;
    }
    bool ShortForm(const wchar_t *path, wchar_t *out, size_t size) override
    {
        const auto found = shortForms.find(path);
        if (found == shortForms.end() || found->second.size() + 1 > size)
            return false;
        std::copy(found->second.c_str(), found->second.c_str() + found->second.size() + 1, out);
        return true;
    }
};

} // namespace

TEST(UsableAnsiPath, ExactFormElseShortFormOfTheExistingPart)
{
    const std::wstring user = L"C:\\Users\\\x0414\x043C\x0438\x0442\x0440\x0438\x0439";  // Дмитрий
    const struct {
        const char *what;
        std::wstring path;
        bool noShortNames;  // the volume keeps none
        const char *expected;  // null: no usable form
    } cases[] = {
        {"converts as it is", L"C:\\Zo\x00EB\\Tolvar.ini", false, "C:\\Zo\xEB\\Tolvar.ini"},
        {"existing folder", user + L"\\Tolvar", false, "C:\\Users\\DMITRI~1\\Tolvar"},
        {"existing file", user + L"\\Tolvar\\Tolvar.exe", false, "C:\\Users\\DMITRI~1\\Tolvar\\TOLVAR.EXE"},
        {"new file in an existing folder", user + L"\\Tolvar\\Tolvar.ini", false,
         "C:\\Users\\DMITRI~1\\Tolvar\\Tolvar.ini"},
        {"new folders below an existing one", user + L"\\a\\b\\c.log", false, "C:\\Users\\DMITRI~1\\a\\b\\c.log"},
        {"new name outside the code page", user + L"\\\x0436.log", false, nullptr},
        {"nothing of it exists", L"D:\\\x0436\\x.log", false, nullptr},
        {"no short names on the volume", user + L"\\Tolvar", true, nullptr},
        {"empty", L"", false, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FakeSystem system;
        system.shortForms[L"C:\\Users"] = L"C:\\Users";
        system.shortForms[user] = c.noShortNames ? user : L"C:\\Users\\DMITRI~1";
        system.shortForms[user + L"\\Tolvar"] = c.noShortNames ? user + L"\\Tolvar" : L"C:\\Users\\DMITRI~1\\Tolvar";
        system.shortForms[user + L"\\Tolvar\\Tolvar.exe"] = L"C:\\Users\\DMITRI~1\\Tolvar\\TOLVAR.EXE";
        char out[261] = "junk";
        EXPECT_EQ(c.expected != nullptr, UsableAnsiPath(c.path.c_str(), system, out, sizeof out));
        EXPECT_STREQ(c.expected ? c.expected : "", out);
    }
}

TEST(UsableAnsiPath, AFormThatDoesNotFitIsNone)
{
    FakeSystem system;
    const std::wstring folder = L"C:\\\x0436";
    system.shortForms[folder] = L"C:\\ZH~1";
    char out[16];
    EXPECT_TRUE(UsableAnsiPath((folder + L"\\abc.ini").c_str(), system, out, sizeof out));
    EXPECT_STREQ("C:\\ZH~1\\abc.ini", out);
    EXPECT_FALSE(UsableAnsiPath((folder + L"\\abcd.ini").c_str(), system, out, sizeof out));
    EXPECT_STREQ("", out);
    EXPECT_FALSE(UsableAnsiPath(std::wstring(2000, L'a').c_str(), system, out, sizeof out));
}
