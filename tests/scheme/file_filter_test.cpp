// Filter lists and initial folders of the file dialogs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "options/dialog/file_filter.h"

namespace tolvar {
namespace {

std::string Filter(const char *type, const char *all, const char *ext)
{
    char out[kFileFilterSize];
    std::memset(out, 'X', sizeof out);
    size_t length = ComposeFileFilter(out, type, all, ext);
    EXPECT_LE(length, kFileFilterSize);
    EXPECT_GE(length, 2u);
    EXPECT_EQ(out[length - 1], 0);
    EXPECT_EQ(out[length - 2], 0) << "the list ends with two NULs";
    return std::string(out, length);
}

TEST(FileFilter, Table)
{
    using namespace std::string_literals;
    struct {
        const char *label;
        const char *type;
        const char *ext;
        const char *all;
        std::string expected;
    } cases[] = {
        {"icons", "Icon Files (*.%s)", "ico", "All Files (*.*)",
         "Icon Files (*.ico)\0*.ico\0All Files (*.*)\0*.*\0\0"s},
        {"sounds", "Sound Files (*.%s)", "wav", "All Files (*.*)",
         "Sound Files (*.wav)\0*.wav\0All Files (*.*)\0*.*\0\0"s},
        {"schemes", "Scheme Files (*.%s)", "tvs", "All Files (*.*)",
         "Scheme Files (*.tvs)\0*.tvs\0All Files (*.*)\0*.*\0\0"s},
        {"no placeholder", "Files", "ico", "All Files (*.*)", "Files\0*.ico\0All Files (*.*)\0*.*\0\0"s},
        {"other percent sequences stay text", "%d %n (*.%s) %s", "ico", "All Files (*.*)",
         "%d %n (*.ico) %s\0*.ico\0All Files (*.*)\0*.*\0\0"s},
        {"missing strings", "", "ico", "", "\0*.ico\0\0*.*\0\0"s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Filter(c.type, c.all, c.ext), c.expected) << c.label;
}

TEST(FileFilter, OverlongTextsAreCutAndTerminated)
{
    std::string type(300, 't');
    std::string all(300, 'a');
    std::string list = Filter(type.c_str(), all.c_str(), std::string(200, 'e').c_str());
    // Type text taken up to 127 characters, then the pattern fills the rest.
    EXPECT_EQ(list.compare(0, 127, std::string(127, 't')), 0);
    EXPECT_EQ(list[127], 0);
    EXPECT_EQ(list.size(), kFileFilterSize);
}

TEST(InitialFolder, Table)
{
    const char *module = "C:\\Program Files\\Tolvar\\host.exe";
    struct {
        const char *label;
        const char *current;
        const char *expected;
    } cases[] = {
        {"empty field", "", "C:\\Program Files\\Tolvar\\Icons\\"},
        {"bare name", "caps.ico", "C:\\Program Files\\Tolvar\\Icons\\"},
        {"full path", "D:\\art\\caps.ico", "D:\\art"},
        {"folder only", "D:\\art\\", "D:\\art"},
        {"root file", "D:\\caps.ico", "D:"},
    };
    for (const auto &c : cases) {
        char out[264];
        ASSERT_TRUE(InitialFolder(out, sizeof out, c.current, module, "\\Icons\\")) << c.label;
        EXPECT_STREQ(out, c.expected) << c.label;
    }
    char small[8];
    EXPECT_FALSE(InitialFolder(small, sizeof small, "", module, "\\Icons\\"));
    char out[264];
    EXPECT_FALSE(InitialFolder(out, sizeof out, "", "host.exe", "\\Icons\\"))
        << "a module path without a folder gives no folder";
}

} // namespace
} // namespace tolvar
