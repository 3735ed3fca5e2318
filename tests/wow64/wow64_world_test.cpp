// Tolvar.exe in the 64-bit world: a 64-bit (WoW64) Wine prefix in which a
// 32-bit and a 64-bit program receive real keys, as on 64-bit Windows. The
// program starts its 64-bit companion there; keys typed into either program
// are indicated once, with the state that program's own GetKeyState sees,
// and nothing Tolvar does or suffers (being killed, stopped, or its window's
// thread stopped) keeps keys from arriving.
//
// Threads are stopped the way a debugger stops them (SuspendThread), from
// this process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/companion_hook.h"
#include "support/emulation.h"
#include "support/key_target.h"
#include "support/keyboard.h"
#include "support/polling.h"
#include "support/tolvar_program.h"

using namespace tolvar_test;

namespace {

const DWORD kWaitMs = 120000;
const WORD kCtrl = VK_LCONTROL, kShift = VK_LSHIFT, kRightCtrl = VK_RCONTROL;

// What "at once" may take: a second, and more where the 32-bit code is
// emulated instead of run.
DWORD PromptMs()
{
    return RunningUnderEmulation() ? 10000 : 1000;
}

KeyTarget *g_targets[2];  // 32-bit, 64-bit

std::string Settings()
{
    struct Key {
        const char *code, *modifiers, *name;
        bool lockKey;
    } const keys[] = {
        {"0x14", "0x80", "Caps Lock", true},       {"0x90", "0x80", "Num Lock", true},
        {"0x91", "0x80", "Scroll Lock", true},     {"0x77", "0x00", "F8", false},
        {"0x78", "0x05", "Ctrl+Shift+F9", false},  {"0x78", "0x08", "RightCtrl+F9", false},
    };
    std::string text = "[Tolvar]\r\nVersion=1\r\nKeys=6\r\n";
    int n = 0;
    for (const Key &k : keys) {
        text += "[Key" + std::to_string(++n) + "]\r\nCode=" + k.code + "\r\nModifiers=" + k.modifiers +
                "\r\nName=\"" + k.name + "\"\r\nHasIcon=" + (k.lockKey ? "1" : "0") +
                "\r\nHasOffState=" + (k.lockKey ? "1" : "0") + "\r\n";
    }
    return text;
}

// True while some thread holds the channel mutex: a report is in flight.
bool ReportInFlight()
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "tvHookMutexName");
    if (!mutex)
        return false;
    const DWORD wait = WaitForSingleObject(mutex, 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
        ReleaseMutex(mutex);
    CloseHandle(mutex);
    return wait == WAIT_TIMEOUT;
}

bool ProcessEnds(DWORD pid, DWORD ms)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process)
        return true;
    const bool ended = WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

// The SDK's example host, which prints every report it gets: Caps Lock
// typed twice into each target, a press and a release each time, each
// reported once.
void ExpectTheSdkHostToReportEachKeyOnce(const std::string &folder)
{
    ChildProcess host;
    ASSERT_TRUE(host.Start("\"" + TestBinFolder() + "\\minimal_host.exe\"", folder + "\\minimal_host.out"));
    ASSERT_TRUE(WaitFor([&] { return host.Output().find("64-bit companion running") != std::string::npos; },
                        kWaitMs, 20))
        << host.Output();
    for (KeyTarget *t : g_targets) {
        ASSERT_TRUE(t->Focus()) << t->name();
        TapKey(VK_CAPITAL);
        TapKey(VK_CAPITAL);
        ASSERT_TRUE(t->Type("1", kWaitMs)) << t->name();
    }
    auto reports = [&] {
        const std::string out = host.Output();
        int n = 0;
        for (size_t at = out.find("\"Caps Lock\""); at != std::string::npos; at = out.find("\"Caps Lock\"", at + 1))
            ++n;
        return n;
    };
    EXPECT_TRUE(WaitFor([&] { return reports() == 8; }, kWaitMs, 20)) << host.Output();
    HWND window = FindProcessWindow(host.Id(), "TolvarMinimalHost", nullptr);
    ASSERT_TRUE(window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, host.WaitForExit(kWaitMs));
    EXPECT_NE(std::string::npos, host.Output().find("hook removed")) << host.Output();
    EXPECT_EQ(8, reports()) << host.Output();
}

class World : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_targets[0] = new KeyTarget;
        g_targets[1] = new KeyTarget;
        ASSERT_TRUE(g_targets[0]->Start("32-bit target", "hook_key_target.exe", 40, 100));
        ASSERT_TRUE(g_targets[1]->Start("64-bit target", "hook_key_target64.exe", 400, 100));
    }
    static void TearDownTestSuite()
    {
        for (KeyTarget *&t : g_targets) {
            t->Close();
            delete t;
            t = nullptr;
        }
    }

    void SetUp() override
    {
        folder_ = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ini_ = folder_ + "\\Tolvar.ini";
        log_ = folder_ + "\\indications.log";
        ASSERT_TRUE(WriteFileBytes(ini_, Settings()));
        for (KeyTarget *t : g_targets)
            LockKeysOff(*t);
    }

    void TearDown() override
    {
        DWORD code = 0;
        if (program_.running()) {
            EXPECT_TRUE(program_.Exit(&code));
        }
        // Whatever a test stopped, every target takes keys again.
        for (KeyTarget *t : g_targets)
            EXPECT_TRUE(t->Focus()) << t->name();
    }

    static void LockKeysOff(KeyTarget &t)
    {
        ASSERT_TRUE(t.Focus()) << t.name();
        for (WORD vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) {
            if (t.Toggle(vk) == 1)
                TapKey(vk);
        }
        ASSERT_TRUE(t.Type("x", kWaitMs)) << t.name();  // every tap went through
        for (WORD vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL})
            ASSERT_EQ(0, t.Toggle(vk)) << t.name() << " key 0x" << std::hex << vk;
    }

    // Tolvar.exe running with its hook and its companion's.
    void StartTolvar(const std::string &exe = TestBinFolder() + "\\Tolvar.exe")
    {
        ASSERT_TRUE(program_.Start(exe, {"--no-splash", "--settings", ini_, "--log", log_}));
        ASSERT_TRUE(program_.WaitReady());
        ASSERT_TRUE(WaitFor([] { return CompanionHookProcess() != 0; }, kWaitMs, 20))
            << "the companion did not install its hook";
    }

    std::string folder_, ini_, log_;
    TolvarProgram program_;
};

} // namespace

TEST_F(World, KeysOfBothProgramsAreIndicatedOnceWithTheStateTheProgramSees)
{
    StartTolvar();
    std::vector<std::string> expected;
    for (KeyTarget *t : g_targets) {
        SCOPED_TRACE(t->name());
        ASSERT_TRUE(t->Focus());
        for (WORD vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) {
            for (int tap = 0; tap < 2; ++tap) {
                TapKey(vk);
                ASSERT_TRUE(t->Type("1", kWaitMs));
                const char *line = vk == VK_CAPITAL ? "0x14 0x80 %d \"Caps Lock\""
                                   : vk == VK_NUMLOCK ? "0x90 0x80 %d \"Num Lock\""
                                                      : "0x91 0x80 %d \"Scroll Lock\"";
                char text[64];
                snprintf(text, sizeof text, line, t->Toggle(vk));
                expected.push_back(text);
            }
        }
        TapKey(VK_F8);
        TypeChord({kCtrl, kShift}, VK_F9);
        TypeChord({kRightCtrl}, VK_F9);
        TypeChord({kCtrl}, VK_F9);  // a combination nobody watches
        ASSERT_TRUE(t->Type("k", kWaitMs));
        expected.push_back("0x77 0x00 1 \"F8\"");
        expected.push_back("0x78 0x05 1 \"Ctrl+Shift+F9\"");
        expected.push_back("0x78 0x08 1 \"RightCtrl+F9\"");
    }
    // Lines come in the order of the events: once the last one is there,
    // a line too many would be there as well.
    ASSERT_TRUE(WaitLogLines(log_, expected.size()));
    std::vector<std::string> lines = LogLines(log_);
    for (std::string &line : lines)
        line = line.substr(0, line.find(" icon="));
    EXPECT_EQ(expected, lines);
}

TEST_F(World, TwoHundredCharactersArriveIntactInBothPrograms)
{
    StartTolvar();
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += static_cast<char>('a' + (i * 7) % 26);
    for (KeyTarget *t : g_targets) {
        ASSERT_TRUE(t->Focus()) << t->name();
        EXPECT_TRUE(t->Type(text, kWaitMs)) << t->name() << " shows \"" << t->Text() << "\"";
    }
}

TEST_F(World, ACombinationReleasedAfterItsModifiersIsIndicatedEveryTime)
{
    StartTolvar();
    for (KeyTarget *t : g_targets) {
        ASSERT_TRUE(t->Focus()) << t->name();
        for (int i = 0; i < 2; ++i)
            TypeChord({kCtrl, kShift}, VK_F9, true);
        ASSERT_TRUE(t->Type("k", kWaitMs)) << t->name();
    }
    ASSERT_TRUE(WaitLogLines(log_, 4));
    const std::vector<std::string> lines = LogLines(log_);
    EXPECT_EQ(4u, lines.size());
    for (const std::string &line : lines)
        EXPECT_EQ(0u, line.find("0x78 0x05 1 \"Ctrl+Shift+F9\"")) << line;
}

TEST_F(World, NothingWaitsWhileTolvarsWindowThreadIsStopped)
{
    StartTolvar();
    FrozenThreads frozen;
    ASSERT_TRUE(frozen.FreezeThread(program_.windowThreadId()));
    for (KeyTarget *t : g_targets) {
        ASSERT_TRUE(t->Focus()) << t->name();
        TapKey(VK_F8);
        TapKey(VK_CAPITAL);
        TapKey(VK_CAPITAL);
        EXPECT_TRUE(t->Type("watched", PromptMs())) << t->name();
    }
    // Nothing was lost: the window shows each report once it runs again.
    frozen.Thaw();
    EXPECT_TRUE(WaitLogLines(log_, 6));
}

TEST_F(World, UnwatchedKeysDoNotWaitWhileTolvarIsStopped)
{
    StartTolvar();
    for (int blocked = 0; blocked < 2; ++blocked) {
        KeyTarget *pressing = g_targets[blocked], *typing = g_targets[1 - blocked];
        SCOPED_TRACE(pressing->name() + " waits for the stopped Tolvar");
        ASSERT_TRUE(pressing->Focus());
        FrozenThreads frozen;
        ASSERT_TRUE(frozen.FreezeProcess(program_.pid()));
        // A watched key: its program waits for the stopped host's answer,
        // holding the channel.
        TapKey(VK_F8);
        ASSERT_TRUE(WaitFor(ReportInFlight, kWaitMs, 10));
        // Keys no entry watches go through everywhere else meanwhile.
        ASSERT_TRUE(typing->Focus());
        EXPECT_TRUE(typing->Type("unwatched", PromptMs())) << typing->name();
        frozen.Thaw();
        ASSERT_TRUE(pressing->Focus());
    }
    ASSERT_TRUE(WaitLogLines(log_, 2));
    EXPECT_EQ(2u, LogLines(log_).size());
}

TEST_F(World, AKilledTolvarHangsNothingAndItsCompanionEndsWithIt)
{
    for (int inFlight = 0; inFlight < 2; ++inFlight) {
        for (KeyTarget *t : g_targets) {
            SCOPED_TRACE(t->name() + (inFlight ? ", a report in flight" : ", idle"));
            StartTolvar();
            const DWORD companion = CompanionHookProcess();
            FrozenThreads frozen;
            ASSERT_TRUE(t->Focus());
            if (inFlight) {
                // Stopped, Tolvar answers no report: the watched key's
                // program waits for it, holding the channel.
                ASSERT_TRUE(frozen.FreezeProcess(program_.pid()));
                TapKey(VK_F8);
                ASSERT_TRUE(WaitFor(ReportInFlight, kWaitMs, 10));
            }
            ASSERT_TRUE(program_.Kill());
            const DWORD killedAt = GetTickCount();
            // The waiting program goes on, and every program takes keys,
            // a watched one included.
            EXPECT_TRUE(t->Type("after", PromptMs()));
            TapKey(VK_F8);
            EXPECT_TRUE(t->Type("k", PromptMs()));
            for (KeyTarget *other : g_targets) {
                ASSERT_TRUE(other->Focus());
                TapKey(VK_F8);
                EXPECT_TRUE(other->Type("k", PromptMs())) << other->name();
            }
            EXPECT_TRUE(ProcessEnds(companion, PromptMs())) << "the companion outlived Tolvar";
            EXPECT_LE(GetTickCount() - killedAt, 4 * PromptMs());
        }
    }
    // Wine keeps the hooks of the killed programs in the chain; the next
    // host still gets each key once (the example host prints every report;
    // Tolvar.exe would show a repeated report only once). It refuses a
    // channel that names a hook: a Tolvar takes over the killed one's
    // channel first and leaves it clean.
    StartTolvar();
    DWORD code = 1;
    ASSERT_TRUE(program_.Exit(&code));
    ExpectTheSdkHostToReportEachKeyOnce(folder_);
}

TEST_F(World, AMissingCompanionIsReportedAndTolvarGoesOn)
{
    const std::string folder = FreshFolder("no-companion");
    for (const char *file : {"Tolvar.exe", "Tolvar.dll", "TolvarEx.dll"})
        ASSERT_TRUE(CopyFileA((TestBinFolder() + "\\" + file).c_str(), (folder + "\\" + file).c_str(), FALSE));
    ASSERT_TRUE(program_.Start(folder + "\\Tolvar.exe", {"--no-splash", "--settings", ini_, "--log", log_}));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBoxOf(program_.pid())) != nullptr; }, kWaitMs, 20));
    const std::string text = MessageBoxText(box);
    EXPECT_NE(std::string::npos, text.find("64-bit programs")) << text;
    EXPECT_NE(std::string::npos, text.find("TolvarHook64.exe")) << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(program_.WaitReady());
    ASSERT_TRUE(g_targets[0]->Focus());
    TapKey(VK_F8);
    ASSERT_TRUE(WaitLogLines(log_, 1));
    EXPECT_EQ(0u, LogLines(log_)[0].find("0x77 0x00 1 \"F8\""));
}

TEST_F(World, TheSdkExampleHostSeesBothProgramsToo)
{
    ExpectTheSdkHostToReportEachKeyOnce(folder_);
}
