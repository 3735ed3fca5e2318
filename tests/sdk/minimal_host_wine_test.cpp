// minimal_host.exe, the SDK's example, run as its reader runs it: from the
// folder of both DLLs, its output in a file, with the key-event channel left
// over from an earlier host. Keys typed into its window come back as report
// lines; its options dialog shows the keys of the load callback and hands a
// change to the save callback, and reopened shows it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "support/child_process.h"
#include "support/keyboard.h"
#include "support/polling.h"
#include "tolvar/tolvar_host.h"

namespace {

using tolvar_test::WaitFor;

const DWORD kWaitMs = 90000;  // generous: code may run emulated
const int kOptionsButton = 1;
const int kBeepOnly = 1007, kKeyList = 1019, kOk = 1033;

int Count(const std::string &text, const std::string &needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

class MinimalHost : public testing::Test {
protected:
    bool Printed(const std::string &needle)
    {
        return WaitFor([&] { return host.Output().find(needle) != std::string::npos; }, kWaitMs);
    }
    HWND OpenOptions()
    {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(kOptionsButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, kOptionsButton)));
        HWND dialog = nullptr;
        WaitFor([&] { return (dialog = FindProcessWindow("#32770", "Tolvar Options")) != nullptr; },
                kWaitMs);
        return dialog;
    }
    HWND FindProcessWindow(const char *className, const char *caption)
    {
        return tolvar_test::FindProcessWindow(host.Id(), className, caption);
    }
    // Two taps of Caps Lock into the host's window: four reports, each naming
    // the key from the host's list.
    void TypeCapsLockTwice(int reportsBefore)
    {
        ASSERT_TRUE(tolvar_test::BringToFront(window, nullptr, kWaitMs));
        tolvar_test::TapKey(VK_CAPITAL);
        tolvar_test::TapKey(VK_CAPITAL);
        const std::string report = "report: key 0x14 modifiers 0x80 ";
        EXPECT_TRUE(WaitFor([&] { return Count(host.Output(), report) == reportsBefore + 4; },
                            kWaitMs))
            << host.Output();
        EXPECT_EQ(reportsBefore + 4, Count(host.Output(), "\"Caps Lock\""));
    }

    tolvar_test::ChildProcess host;
    HWND window = nullptr;
};

TEST_F(MinimalHost, ReportsTypedKeysAndExchangesKeysWithTheOptionsDialog)
{
    // What every process that took keys under an earlier host keeps open
    // while it holds TolvarEx.dll: a channel without a hook. The example
    // takes it over.
    HANDLE leftover = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         TV_CHANNEL_SIZE(64), TV_CHANNEL_MAPPING_NAME);
    ASSERT_TRUE(leftover);
    ASSERT_TRUE(host.Start("minimal_host.exe", "minimal_host_output.txt"));
    ASSERT_TRUE(Printed("hook installed; options available")) << host.Output();
    window = FindProcessWindow("TolvarMinimalHost", nullptr);
    ASSERT_TRUE(window);

    TypeCapsLockTwice(0);

    // The load callback's three keys in the list; a switch changed and OK
    // reach the save callback.
    HWND dialog = OpenOptions();
    ASSERT_TRUE(dialog) << "the options dialog did not open";
    EXPECT_EQ(3, SendMessageA(GetDlgItem(dialog, kKeyList), LVM_GETITEMCOUNT, 0, 0));
    HWND beepOnly = GetDlgItem(dialog, kBeepOnly);
    SendMessageA(beepOnly, BM_SETCHECK, BST_CHECKED, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kBeepOnly, BN_CLICKED),
                 reinterpret_cast<LPARAM>(beepOnly));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kOk, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, kOk)));
    EXPECT_TRUE(Printed("settings saved: 3 keys, silent 0, beep only 1")) << host.Output();
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, kWaitMs));

    // Reopened, the dialog shows what the host took over.
    dialog = OpenOptions();
    ASSERT_TRUE(dialog) << "the options dialog did not open again";
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(dialog, kBeepOnly), BM_GETCHECK, 0, 0));
    EXPECT_EQ(3, SendMessageA(GetDlgItem(dialog, kKeyList), LVM_GETITEMCOUNT, 0, 0));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, kWaitMs));

    // The table rebuilt from the saved keys still reports.
    TypeCapsLockTwice(4);

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, host.WaitForExit(kWaitMs));
    EXPECT_NE(std::string::npos, host.Output().find("hook removed")) << host.Output();
    CloseHandle(leftover);
}

} // namespace
