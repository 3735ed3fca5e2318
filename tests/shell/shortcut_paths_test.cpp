// Native tests of the Startup shortcut's working-folder cut.
#include <gtest/gtest.h>

#include <string>

#include "options/shell/shortcut_paths.h"

using namespace tolvar;

TEST(WorkingFolderLength, CutsAtTheLastBackslash)
{
    struct Case {
        const wchar_t *path;
        const wchar_t *folder;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\Tolvar\\Tolvar.exe", L"C:\\Program Files\\Tolvar"},
        {L"C:\\Tolvar.exe", L"C:\\"}, // a drive's root keeps its backslash
        {L"\\\\server\\share\\Tolvar.exe", L"\\\\server\\share"},
        {L"D:relative\\Tolvar.exe", L"D:relative"},
        {L"C:\\odd\\", L"C:\\odd"},
        {L"Tolvar.exe", L""},
        {L"", L""},
        {L"\\Tolvar.exe", L""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.path)));
        EXPECT_EQ(std::wstring(c.path, WorkingFolderLength(c.path)), c.folder);
    }
    EXPECT_EQ(WorkingFolderLength(static_cast<const wchar_t *>(nullptr)), 0u);
}

TEST(ShortcutFileSuffix, IsTheLinkName)
{
    EXPECT_STREQ(kShortcutFileSuffix, "\\Tolvar.lnk");
}
