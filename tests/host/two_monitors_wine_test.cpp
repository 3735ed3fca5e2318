// Tolvar.exe with two monitors side by side (the world of scripts/test.sh
// that has them): the display and the indicator that stays appear on the
// focused window's monitor, the mouse pointer's, the primary one, or on
// each, as the settings choose.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/key_target.h"
#include "support/key_window.h"
#include "support/keyboard.h"
#include "support/polling.h"
#include "support/tolvar_program.h"
#include "support/tolvar_settings.h"

using namespace tolvar_test;

namespace {

const DWORD kWaitMs = 120000;

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT *, LPARAM list)
{
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info))
        reinterpret_cast<std::vector<MONITORINFO> *>(list)->push_back(info);
    return TRUE;
}

// The monitors, the primary one first.
std::vector<MONITORINFO> Monitors()
{
    std::vector<MONITORINFO> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    std::stable_partition(monitors.begin(), monitors.end(),
                          [](const MONITORINFO &m) { return (m.dwFlags & MONITORINFOF_PRIMARY) != 0; });
    return monitors;
}

// For each box, the monitor (1 the primary, 2 the other) whose work area
// holds it whole, 0 for none; in ascending order.
std::vector<int> MonitorsHolding(const std::vector<RECT> &boxes)
{
    const std::vector<MONITORINFO> monitors = Monitors();
    std::vector<int> found;
    for (const RECT &box : boxes) {
        int at = 0;
        for (size_t i = 0; i < monitors.size() && !at; ++i) {
            const RECT &w = monitors[i].rcWork;
            if (box.left >= w.left && box.top >= w.top && box.right <= w.right && box.bottom <= w.bottom)
                at = static_cast<int>(i) + 1;
        }
        found.push_back(at);
    }
    std::sort(found.begin(), found.end());
    return found;
}

POINT MiddleOf(const RECT &r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class TwoMonitorsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A world set up wrongly shows here, not as displays that happen to
        // be on the one monitor there is.
        monitors_ = Monitors();
        ASSERT_EQ(2u, monitors_.size()) << "Wine reports " << monitors_.size() << " monitor(s)";
        ASSERT_TRUE(keys_.Open());
        ASSERT_EQ(MonitorFromWindow(keys_.window(), MONITOR_DEFAULTTONULL),
                  MonitorFromPoint(MiddleOf(monitors_[0].rcMonitor), MONITOR_DEFAULTTONULL));
        const RECT &second = monitors_[1].rcWork;
        ASSERT_TRUE(target_.Start("on the second monitor", "hook_key_target.exe", second.left + 200, second.top + 200));
        ASSERT_EQ(MonitorFromWindow(target_.window(), MONITOR_DEFAULTTONULL),
                  MonitorFromPoint(MiddleOf(second), MONITOR_DEFAULTTONULL));
        folder_ = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    void TearDown() override
    {
        target_.Close();
        if (keys_.window())
            EXPECT_TRUE(keys_.SetToggle(VK_CAPITAL, false));
    }

    std::vector<MONITORINFO> monitors_;
    KeyWindow keys_;     // on the primary monitor, of this process
    KeyTarget target_;   // on the other, of a process of its own
    std::string folder_;
};

} // namespace

TEST_F(TwoMonitorsTest, TheDisplaysAppearOnTheMonitorsTheSettingChooses)
{
    const struct {
        const char *what;
        int monitor;            // Monitor= of the settings
        int focused, pointer;   // the monitor of the window in front, of the mouse pointer
        std::vector<int> shown;  // the monitors with a display
    } rows[] = {
        {"the focused window's", 0, 2, 1, {2}},
        {"the focused window's, on the primary", 0, 1, 2, {1}},
        {"the mouse pointer's", 1, 2, 1, {1}},
        {"the mouse pointer's, on the other", 1, 1, 2, {2}},
        {"the primary", 2, 2, 2, {1}},
        {"each", 3, 2, 1, {1, 2}},
    };
    const std::string ini = folder_ + "\\Tolvar.ini", log = folder_ + "\\indications.log";
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(keys_.SetToggle(VK_CAPITAL, false));
        DeleteFileA(log.c_str());
        ASSERT_TRUE(WriteFileBytes(ini, Ini(DefaultKeys(), "CapsLockDisplay=1\r\nDisplayMilliseconds=10000\r\n",
                                            "Monitor=" + std::to_string(r.monitor) + "\r\n")));
        TolvarProgram program;
        ASSERT_TRUE(program.Start(TestBinFolder() + "\\Tolvar.exe", {"--no-splash", "--settings", ini, "--log", log}));
        ASSERT_TRUE(program.WaitReady());

        const POINT pointer = MiddleOf(monitors_[r.pointer - 1].rcMonitor);
        ASSERT_TRUE(SetCursorPos(pointer.x, pointer.y));
        if (r.focused == 1) {
            keys_.Tap(VK_CAPITAL);
        } else {
            ASSERT_TRUE(target_.Focus());
            TapKey(VK_CAPITAL);
        }
        // Every display is laid out in one go: once one is on screen and
        // the program has handled what came before, all of them are.
        ASSERT_TRUE(WaitLogLines(log, 1));
        ASSERT_TRUE(WaitFor([] { return DisplayShown(kIndicationDisplay) && DisplayShown(kCapsLockDisplay); },
                            kWaitMs))
            << ReadFileBytes(log);
        ASSERT_TRUE(program.WaitHandled());
        POINT at;
        EXPECT_TRUE(GetCursorPos(&at) && at.x == pointer.x && at.y == pointer.y);
        EXPECT_EQ(r.shown, MonitorsHolding(DisplaysShown(kIndicationDisplay)));
        EXPECT_EQ(r.shown, MonitorsHolding(DisplaysShown(kCapsLockDisplay)));
        DWORD code = 1;
        EXPECT_TRUE(program.Exit(&code));
        EXPECT_EQ(0u, code);
    }
}

// The indicator that stays moves with the focus from monitor to monitor.
TEST_F(TwoMonitorsTest, TheIndicatorThatStaysFollowsTheFocusedWindow)
{
    const std::string ini = folder_ + "\\Tolvar.ini";
    ASSERT_TRUE(WriteFileBytes(ini, Ini(DefaultKeys(), "CapsLockDisplay=1\r\nOnScreenDisplay=0\r\n", "Monitor=0\r\n")));
    TolvarProgram program;
    ASSERT_TRUE(program.Start(TestBinFolder() + "\\Tolvar.exe", {"--no-splash", "--settings", ini}));
    ASSERT_TRUE(program.WaitReady());
    keys_.Tap(VK_CAPITAL);
    ASSERT_TRUE(WaitFor([] { return DisplayShown(kCapsLockDisplay); }, kWaitMs));
    const struct {
        HWND window;  // brought to the front
        std::vector<int> shown;
    } rows[] = {{target_.window(), {2}}, {keys_.window(), {1}}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.shown[0]);
        ASSERT_TRUE(BringToFront(r.window, nullptr, kWaitMs));
        ASSERT_TRUE(RaiseForegroundEvent(r.window));
        EXPECT_TRUE(WaitFor([&] { return MonitorsHolding(DisplaysShown(kCapsLockDisplay)) == r.shown; }, kWaitMs));
    }
}
