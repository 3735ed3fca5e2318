// Native tests of the Startup shortcut's working-folder cut.
#include <gtest/gtest.h>

#include <string>

#include "options/shell/shortcut_paths.h"

using namespace tolvar;

TEST(WorkingFolderLength, CutsAtTheLastBackslash)
{
    struct Case {
        const char *path;
        const char *folder;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Tolvar\\Tolvar.exe", "C:\\Program Files\\Tolvar"},
        {"C:\\Tolvar.exe", "C:\\"}, // a drive's root keeps its backslash
        {"\\\\server\\share\\Tolvar.exe", "\\\\server\\share"},
        {"D:relative\\Tolvar.exe", "D:relative"},
        {"C:\\odd\\", "C:\\odd"},
        {"Tolvar.exe", ""},
        {"", ""},
        {"\\Tolvar.exe", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(std::string(c.path, WorkingFolderLength(c.path)), c.folder);
    }
    EXPECT_EQ(WorkingFolderLength(nullptr), 0u);
}

TEST(ShortcutFileSuffix, IsTheLinkName)
{
    EXPECT_STREQ(kShortcutFileSuffix, "\\Tolvar.lnk");
}
