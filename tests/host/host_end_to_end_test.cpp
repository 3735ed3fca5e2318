// Tolvar.exe end to end under Wine: the built program with its libraries,
// real key events typed into a window of this process (the program's hook
// sees them there), and what the program shows: its --log lines, its tray
// icons (through a stand-in notification area), its settings file, its
// message boxes and its options dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "host/app/single_instance.h"
#include "host/resources/resource_ids.h"
#include "options/resources/resource_ids.h"
#include "support/dialog_controls.h"
#include "support/fake_notification_area.h"
#include "support/foreign_object.h"
#include "support/import_patch.h"
#include "support/key_window.h"
#include "support/keyboard.h"
#include "support/polling.h"
#include "support/tolvar_program.h"
#include "support/tolvar_settings.h"
#include "support/unseen_keys.h"

using namespace tolvar_test;

namespace {

const DWORD kWaitMs = 120000;
const UINT kMsgTray = WM_APP + 2;        // Tolvar.exe's tray callback message
const UINT kCmdDisplaySwitch = 101;      // its menu's "On-Screen Display"
const UINT kCmdCapsLockSwitch = 102;     // and "Show While Caps Lock Is On"
const UINT kCmdHelp = 103;               // its menu's "Help"
const UINT kCmdAbout = 104;              // its menu's "About..."
const UINT kCmdDisplayWindow = 120;      // its menu's "Display..."
const char kDisplayWindow[] = "Tolvar Display";
const char kInstanceObject[] = "Local\\Tolvar.Indicator.Instance";
const char kSavedEnd[] = "; end of the Tolvar settings\r\n";  // a save's last line
const WORD kCtrl = VK_LCONTROL, kShift = VK_LSHIFT;
const char kCtrlShift[] = "0x05";        // left Ctrl and left Shift held

KeyWindow *g_keys;

// A 16 x 16 icon file of one colour, and a short silent sound file.
std::string IconFileBytes()
{
    std::string pixels;
    for (int i = 0; i < 16 * 16; ++i)
        pixels += std::string("\x20\x80\xE0\xFF", 4);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = 16;
    info.biHeight = 32;
    info.biPlanes = 1;
    info.biBitCount = 32;
    const std::string image = std::string(reinterpret_cast<char *>(&info), sizeof info) + pixels +
                              std::string(16 * 4, '\0');
    const WORD dir[3] = {0, 1, 1};
    const BYTE entry[8] = {16, 16, 0, 0, 1, 0, 32, 0};
    const DWORD sizeAndOffset[2] = {static_cast<DWORD>(image.size()), 6 + 16};
    return std::string(reinterpret_cast<const char *>(dir), 6) + std::string(reinterpret_cast<const char *>(entry), 8) +
           std::string(reinterpret_cast<const char *>(sizeAndOffset), 8) + image;
}

std::string WaveFileBytes()
{
    const std::string samples(2000, '\x80');
    const DWORD fmt[4] = {16, 0x00010001, 11025, 11025};
    const WORD align[2] = {1, 8};
    std::string body = "WAVEfmt " + std::string(reinterpret_cast<const char *>(fmt), 16) +
                       std::string(reinterpret_cast<const char *>(align), 4) + "data";
    const DWORD n = static_cast<DWORD>(samples.size());
    body += std::string(reinterpret_cast<const char *>(&n), 4) + samples;
    const DWORD riff = static_cast<DWORD>(body.size());
    return "RIFF" + std::string(reinterpret_cast<const char *>(&riff), 4) + body;
}

void ClickIn(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND WaitDialog(DWORD pid, const char *caption)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindDialogOf(pid, caption)) != nullptr; }, kWaitMs, 20);
    return found;
}

HWND WaitMessageBox(DWORD pid)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindMessageBoxOf(pid)) != nullptr; }, kWaitMs, 20);
    return found;
}

bool Contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// A message handled by the program's window before this returns.
bool Deliver(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_NORMAL, kWaitMs, &result) != 0;
}

std::string Tip(const char *key, bool on)
{
    return std::string(key) + (on ? ": on" : ": off");
}

DWORD WINAPI ReadToggle(void *vk)
{
    return GetKeyState(static_cast<int>(reinterpret_cast<INT_PTR>(vk))) & 1;
}

// A lock key's state as a thread that never had keyboard input reads it.
bool ToggleSeenByNewThread(WORD vk)
{
    HANDLE thread = CreateThread(nullptr, 0, ReadToggle, reinterpret_cast<void *>(INT_PTR(vk)), 0, nullptr);
    DWORD state = 0;
    WaitForSingleObject(thread, INFINITE);
    GetExitCodeThread(thread, &state);
    CloseHandle(thread);
    return state != 0;
}

std::wstring Widen(const std::string &text)
{
    wchar_t wide[MAX_PATH * 2] = L"";
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH * 2);
    return wide;
}

// The form of an existing path that this process's ANSI calls can open.
std::string ShortAnsi(const std::wstring &path)
{
    wchar_t shortPath[MAX_PATH] = L"";
    char ansi[MAX_PATH] = "";
    GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    WideCharToMultiByte(CP_ACP, 0, shortPath, -1, ansi, MAX_PATH, nullptr, nullptr);
    return ansi;
}

bool LoadedFrom(DWORD pid, const std::wstring &path)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32W module = {};
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &module); more && !found; more = Module32NextW(snapshot, &module))
        found = lstrcmpiW(module.szExePath, path.c_str()) == 0;
    CloseHandle(snapshot);
    return found;
}

// Turns the code-page setting in a copy of the program's manifest into a
// comment of the same length: the copy then runs with the system's ANSI code
// page, as on Windows before 10 version 1903.
bool WithSystemCodePage(const std::wstring &exe)
{
    const std::string setting = "<activeCodePage>UTF-8</activeCodePage>";
    const std::string comment = "<!--" + std::string(setting.size() - 7, ' ') + "-->";
    HANDLE file = CreateFileW(exe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD n = 0;
    bool ok = ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
    const size_t at = bytes.find(setting);
    ok = ok && at != std::string::npos && bytes.find(setting, at + 1) == std::string::npos &&
         SetFilePointer(file, static_cast<LONG>(at), nullptr, FILE_BEGIN) == at &&
         WriteFile(file, comment.data(), static_cast<DWORD>(comment.size()), &n, nullptr) && n == comment.size();
    CloseHandle(file);
    return ok;
}

// Wine takes its own system libraries before one of the same name that a
// program finds beside itself; Windows takes the first it finds. While this
// lives, Wine does so too for the library in Tolvar.exe (no effect on
// Windows).
class NativeFirstInTolvar {
public:
    explicit NativeFirstInTolvar(const char *library)
    {
        if (library && RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_,
                                       nullptr) == ERROR_SUCCESS)
            RegSetValueExA(key_, library, 0, REG_SZ, reinterpret_cast<const BYTE *>("native,builtin"), 15);
    }
    ~NativeFirstInTolvar()
    {
        if (!key_)
            return;
        RegCloseKey(key_);
        RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    }

private:
    static constexpr const char *kKey = "Software\\Wine\\AppDefaults\\Tolvar.exe\\DllOverrides";
    HKEY key_ = nullptr;
};

class HostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_keys = new KeyWindow;
        ASSERT_TRUE(g_keys->Open());
    }
    static void TearDownTestSuite()
    {
        delete g_keys;
        g_keys = nullptr;
    }

    void SetUp() override
    {
        folder_ = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ini_ = folder_ + "\\Tolvar.ini";
        log_ = folder_ + "\\indications.log";
        exe_ = TestBinFolder() + "\\Tolvar.exe";
        LockKeysOff();
    }

    void TearDown() override
    {
        DWORD code = 0;
        if (program_.running()) {
            EXPECT_TRUE(program_.Exit(&code));
        }
        LockKeysOff();
    }

    static void LockKeysOff()
    {
        for (WORD vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL})
            ASSERT_TRUE(g_keys->SetToggle(vk, false));
    }

    // Starts Tolvar.exe with this test's settings and log, ready to report.
    bool StartTolvar(TolvarProgram &program, const std::string &currentFolder = "")
    {
        return program.Start(exe_, {"--no-splash", "--settings", ini_, "--log", log_}, currentFolder) &&
               program.WaitReady();
    }

    std::string folder_, ini_, log_, exe_;
    TolvarProgram program_;
};

} // namespace

TEST_F(HostTest, LockKeysAndCombinationsIndicateWithTheirIconsAndSounds)
{
    const std::string icon = folder_ + "\\caps on.ico";
    const std::string sound = folder_ + "\\combo.wav";
    ASSERT_TRUE(WriteFileBytes(icon, IconFileBytes()));
    ASSERT_TRUE(WriteFileBytes(sound, WaveFileBytes()));
    // The same files by paths relative to the program's folder, which is not
    // the folder the program starts in.
    const std::string besideProgram = TestBinFolder() + "\\";
    ASSERT_EQ(0u, folder_.find(besideProgram));
    std::vector<Key> keys = DefaultKeys();
    keys[0].iconOn = icon;
    keys[1].iconOn = icon.substr(besideProgram.size());
    keys.push_back({"0x4B", kCtrlShift, "Ctrl+Shift+K", sound.substr(besideProgram.size()), "", false, ""});
    keys.push_back({"0x4C", kCtrlShift, "Ctrl+Shift+L", folder_ + "\\gone.wav", "", false, ""});
    // A path as an earlier version saved it, in the system's code page (this
    // program's); Tolvar.exe runs in UTF-8.
    const std::wstring accented = L"caf\u00E9.wav";
    char systemBytes[32] = "", utf8Bytes[32] = "";
    WideCharToMultiByte(CP_ACP, 0, accented.c_str(), -1, systemBytes, sizeof systemBytes, nullptr, nullptr);
    WideCharToMultiByte(CP_UTF8, 0, accented.c_str(), -1, utf8Bytes, sizeof utf8Bytes, nullptr, nullptr);
    ASSERT_TRUE(WriteFileBytes(folder_ + "\\" + systemBytes, WaveFileBytes()));
    keys.push_back({"0x4D", kCtrlShift, "Ctrl+Shift+M", folder_ + "\\" + systemBytes, "", false, ""});
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(keys, "DisplayMilliseconds=10000\r\n")));
    ASSERT_TRUE(StartTolvar(program_, folder_));

    g_keys->Tap(VK_CAPITAL);
    g_keys->Tap(VK_CAPITAL);
    g_keys->Tap(VK_NUMLOCK);
    g_keys->Tap(VK_NUMLOCK);
    g_keys->Chord({kCtrl, kShift}, 'K');
    g_keys->Chord({kCtrl, kShift}, 'L');
    g_keys->Chord({kCtrl, kShift}, 'M');
    g_keys->Chord({kCtrl}, 'K');  // other modifiers: not this key
    g_keys->Tap(VK_SCROLL);
    g_keys->Tap(VK_SCROLL);
    // Lines come in the order of the events: once the last one is there,
    // any line too many would be there as well.
    const std::vector<std::string> expected = {
        "0x14 0x80 1 \"Caps Lock\" icon=" + icon + " sound=res:106",
        "0x14 0x80 0 \"Caps Lock\" icon=res:2001 sound=res:107",
        "0x90 0x80 1 \"Num Lock\" icon=" + icon + " sound=res:106",
        "0x90 0x80 0 \"Num Lock\" icon=res:3001 sound=res:107",
        "0x4B 0x05 1 \"Ctrl+Shift+K\" icon=none sound=" + sound,
        "0x4C 0x05 1 \"Ctrl+Shift+L\" icon=none sound=res:106",
        "0x4D 0x05 1 \"Ctrl+Shift+M\" icon=none sound=" + folder_ + "\\" + utf8Bytes,
        "0x91 0x80 1 \"Scroll Lock\" icon=res:4000 sound=res:106",
        "0x91 0x80 0 \"Scroll Lock\" icon=res:4001 sound=res:107",
    };
    ASSERT_TRUE(WaitLogLines(log_, expected.size()));
    EXPECT_EQ(expected, LogLines(log_));

    // The display comes up, topmost, and takes neither the focus nor the
    // mouse.
    HWND display = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            display = nullptr;
            while ((display = FindWindowExA(nullptr, display, "TolvarDisplay", nullptr)))
                if (IsWindowVisible(display))
                    return true;
            return false;
        },
        kWaitMs));
    const LONG_PTR style = GetWindowLongPtrA(display, GWL_EXSTYLE);
    EXPECT_EQ(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT,
              style & (WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT));
    EXPECT_EQ(g_keys->window(), GetForegroundWindow());
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SaveScreenshot(screen, folder_ + "\\display.bmp");
}

TEST_F(HostTest, TheSwitchesOfTheOptions)
{
    const struct {
        const char *switches;
        const char *on, *off;  // what is played
        const char *first;     // a line that comes before any key is typed
        const char *display;   // lines of the [Display] section
    } cases[] = {
        {"Silent=1\r\n", "silent", "silent", nullptr, nullptr},
        {"BeepOnly=1\r\n", "beep", "beep", nullptr, nullptr},
        {"Silent=1\r\nBeepOnly=1\r\nOnScreenDisplay=0\r\n", "silent", "silent", nullptr, nullptr},
        // Num Lock turned on at start, by a key press that is indicated.
        {"NumLockOn=1\r\n", "res:106", "res:107", "0x90 0x80 1 \"Num Lock\" icon=res:3000 sound=res:106", nullptr},
        // Told to screen readers, where the system can (Wine cannot): the
        // indications stay as they are.
        {"", "res:106", "res:107", nullptr, "Announce=1\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.switches) + (c.display ? c.display : ""));
        DeleteFileA(log_.c_str());
        ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys(), c.switches, c.display ? c.display : "")));
        TolvarProgram program;
        ASSERT_TRUE(StartTolvar(program));
        std::vector<std::string> expected;
        if (c.first) {
            expected.push_back(c.first);
            ASSERT_TRUE(WaitLogLines(log_, 1));
        }
        g_keys->Tap(VK_CAPITAL);
        g_keys->Tap(VK_CAPITAL);
        expected.push_back("0x14 0x80 1 \"Caps Lock\" icon=res:2000 sound=" + std::string(c.on));
        expected.push_back("0x14 0x80 0 \"Caps Lock\" icon=res:2001 sound=" + std::string(c.off));
        ASSERT_TRUE(WaitLogLines(log_, expected.size()));
        EXPECT_EQ(expected, LogLines(log_));
        // A screen reader asks the window for its element.
        const LONG kUiaRootObjectId = -25;
        EXPECT_TRUE(Deliver(program.Window(), WM_GETOBJECT, 0, kUiaRootObjectId));
        DWORD code = 1;
        ASSERT_TRUE(program.Exit(&code));
        EXPECT_EQ(0u, code);
        LockKeysOff();
    }
}

TEST_F(HostTest, KeysAddedAndRemovedInTheOptionsDialogReportAtOnceAndLast)
{
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys())));
    ASSERT_TRUE(StartTolvar(program_));

    // A second start hands over to the first, which opens its options.
    DWORD code = 1;
    ASSERT_TRUE(RunToEnd(exe_, {"--no-splash", "--settings", ini_}, &code));
    EXPECT_EQ(0u, code);
    HWND options = WaitDialog(program_.pid(), "Tolvar Options");
    ASSERT_TRUE(options) << "the first instance opened no options dialog";
    // Painted before it is pictured.
    RedrawWindow(options, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(options, &r);
    SaveScreenshot(r, folder_ + "\\options.bmp");

    ClickIn(options, IDC_ADD_NEW);
    HWND capture = WaitDialog(program_.pid(), "Add New Key");
    ASSERT_TRUE(capture);
    ASSERT_TRUE(BringToFront(capture, GetDlgItem(capture, IDC_CAPTURE_EDIT), kWaitMs));
    for (WORD vk : {kCtrl, kShift, WORD('J')})
        SendKey(vk, false);
    for (WORD vk : {WORD('J'), kShift, kCtrl})
        SendKey(vk, true);
    // The field shows each key as it goes down: the combination is whole
    // once it ends with J. Asked of the control itself: the text of another
    // process's window is its caption.
    ASSERT_TRUE(WaitFor(
        [&] {
            char text[64] = "";
            SendMessageA(GetDlgItem(capture, IDC_CAPTURE_EDIT), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
            const size_t n = strlen(text);
            return n > 1 && text[n - 1] == 'J';
        },
        kWaitMs));
    ClickIn(capture, IDC_ADD_KEY_OK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(capture); }, kWaitMs));
    ClickIn(options, IDC_APPLY);
    ASSERT_TRUE(WaitFor([&] { return Contains(ReadFileBytes(ini_), "Keys=4"); }, kWaitMs))
        << ReadFileBytes(ini_) << MessageBoxText(FindMessageBoxOf(program_.pid()));
    EXPECT_TRUE(Contains(ReadFileBytes(ini_), "Code=0x4A\r\nModifiers=0x05")) << ReadFileBytes(ini_);

    // Reports at once, with the default sound of a key without an icon.
    g_keys->Chord({kCtrl, kShift}, 'J');
    ASSERT_TRUE(WaitLogLines(log_, 1));
    const std::string added = LogLines(log_)[0];
    EXPECT_EQ(0u, added.find("0x4A 0x05 1 \"")) << added;
    EXPECT_TRUE(Contains(added, "\" icon=none sound=res:106")) << added;
    ClickIn(options, IDC_OK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(options); }, kWaitMs));
    ASSERT_TRUE(program_.Exit(&code));
    EXPECT_EQ(0u, code);

    // The key lasts: a new run reports it too.
    TolvarProgram second;
    ASSERT_TRUE(StartTolvar(second));
    g_keys->Chord({kCtrl, kShift}, 'J');
    ASSERT_TRUE(WaitLogLines(log_, 2));
    EXPECT_EQ(added.substr(added.find(' ')), LogLines(log_)[1].substr(LogLines(log_)[1].find(' ')));

    // Removed: the last row (the new key) focused from the keyboard, deleted,
    // applied. The key stops reporting; Caps Lock after it still does.
    PostMessageA(second.Window(), kMsgTray, 1, WM_LBUTTONDBLCLK);
    options = WaitDialog(second.pid(), "Tolvar Options");
    ASSERT_TRUE(options);
    ASSERT_TRUE(BringToFront(options, nullptr, kWaitMs));
    PostMessageA(options, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(options, IDC_KEY_LIST)), TRUE);
    ASSERT_TRUE(BringToFront(options, GetDlgItem(options, IDC_KEY_LIST), kWaitMs));
    TapKey(VK_END);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(options, IDC_DELETE)) != 0; }, kWaitMs));
    ClickIn(options, IDC_DELETE);
    ClickIn(options, IDC_APPLY);
    ASSERT_TRUE(WaitFor([&] { return Contains(ReadFileBytes(ini_), "Keys=3"); }, kWaitMs))
        << ReadFileBytes(ini_) << MessageBoxText(FindMessageBoxOf(second.pid()));
    g_keys->Chord({kCtrl, kShift}, 'J');
    g_keys->Tap(VK_CAPITAL);
    g_keys->Tap(VK_CAPITAL);
    ASSERT_TRUE(WaitLogLines(log_, 4));
    const std::vector<std::string> lines = LogLines(log_);
    EXPECT_EQ(4u, lines.size());
    EXPECT_EQ(0u, lines[2].find("0x14 0x80 1 ")) << lines[2];
    ClickIn(options, IDC_OK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(options); }, kWaitMs));
    ASSERT_TRUE(second.Exit(&code));
    EXPECT_EQ(0u, code);
}

TEST_F(HostTest, AnUnreadableSettingsFileIsKeptAsideAndReported)
{
    const std::string garbage("\x00\x01\xFF[Tolvar]\r\nVersion=9\r\n\x00garbage", 30);
    ASSERT_TRUE(WriteFileBytes(ini_, garbage));
    ASSERT_TRUE(StartTolvar(program_));
    HWND box = WaitMessageBox(program_.pid());
    ASSERT_TRUE(box);
    const std::string aside = folder_ + "\\Tolvar.unreadable.ini";
    const std::string text = MessageBoxText(box);
    EXPECT_TRUE(Contains(text, "could not read its settings file")) << text;
    EXPECT_TRUE(Contains(text, aside)) << text;
    EXPECT_EQ(garbage, ReadFileBytes(aside));
    EXPECT_FALSE(FileExists(ini_));
    ClickIn(box, IDOK);

    // Running with the defaults.
    g_keys->Tap(VK_SCROLL);
    ASSERT_TRUE(WaitLogLines(log_, 1));
    EXPECT_EQ("0x91 0x80 1 \"Scroll Lock\" icon=res:4000 sound=res:106", LogLines(log_)[0]);
}

TEST_F(HostTest, TheNewFileOfASaveCutShortIsTakenAtTheNextStart)
{
    // All that a power cut during the replace leaves on a FAT drive.
    const std::string saved = Ini(DefaultKeys(), "Silent=1\r\n") + kSavedEnd;
    ASSERT_TRUE(WriteFileBytes(ini_ + ".new", saved));
    ASSERT_TRUE(StartTolvar(program_));
    g_keys->Tap(VK_SCROLL);
    ASSERT_TRUE(WaitLogLines(log_, 1));
    EXPECT_EQ("0x91 0x80 1 \"Scroll Lock\" icon=res:4000 sound=silent", LogLines(log_)[0]);
    EXPECT_EQ(saved, ReadFileBytes(ini_));
    EXPECT_FALSE(FileExists(ini_ + ".new"));
    ASSERT_TRUE(program_.WaitHandled());
    EXPECT_FALSE(FindMessageBoxOf(program_.pid())) << MessageBoxText(FindMessageBoxOf(program_.pid()));
}

TEST_F(HostTest, ChangesTheFileCannotTakeAreKeptToldOnceAndSavedLater)
{
    const struct {
        const char *what;
        bool readOnly;  // else another program holds the file open
        bool atExit;    // written at exit, else with the next change
    } cases[] = {
        {"read-only, then writable again", true, false},
        {"held by another program, then let go", false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = Ini(DefaultKeys());
        ASSERT_TRUE(WriteFileBytes(ini_, before));
        TolvarProgram program;
        ASSERT_TRUE(StartTolvar(program));
        HWND window = program.Window();
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (c.readOnly)
            ASSERT_TRUE(SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_READONLY));
        else
            holder = CreateFileA(ini_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(c.readOnly || holder != INVALID_HANDLE_VALUE);

        // The window takes each change and answers at once, the user hears
        // of it once. The first answer comes from the message box, which
        // takes its time to appear; after it, a change holds the window's
        // thread only for the attempt to save.
        // How long each change holds the window's thread is recorded, not
        // judged: it varies with the machine's load.
        auto switchDisplay = [&](const char *property) {
            const DWORD start = GetTickCount();
            PostMessageA(window, WM_COMMAND, kCmdDisplaySwitch, 0);
            EXPECT_TRUE(program.WaitHandled());
            const DWORD ms = GetTickCount() - start;
            ::testing::Test::RecordProperty(std::string(property) + (c.readOnly ? "_read_only" : "_held"), int(ms));
            return ms;
        };
        switchDisplay("first_change_ms");
        HWND box = WaitMessageBox(program.pid());
        ASSERT_TRUE(box) << "running: " << program.running() << ", attributes: " << GetFileAttributesA(ini_.c_str())
                         << ", file:\n" << ReadFileBytes(ini_);
        const std::string text = MessageBoxText(box);
        EXPECT_TRUE(Contains(text, ini_)) << text;
        EXPECT_TRUE(!c.readOnly || Contains(text, "read-only")) << text;
        ClickIn(box, IDOK);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, kWaitMs));
        switchDisplay("second_change_ms");
        switchDisplay("third_change_ms");  // off again, the last state kept
        EXPECT_FALSE(FindMessageBoxOf(program.pid())) << MessageBoxText(FindMessageBoxOf(program.pid()));
        EXPECT_EQ(before, ReadFileBytes(ini_));
        EXPECT_FALSE(FileExists(ini_ + ".new"));

        // Writable again: what was kept is written.
        if (c.readOnly)
            ASSERT_TRUE(SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_NORMAL));
        else
            CloseHandle(holder);
        DWORD code = 1;
        if (c.atExit) {
            ASSERT_TRUE(program.Exit(&code));
            EXPECT_EQ(0u, code);
        } else {
            PostMessageA(window, WM_COMMAND, kCmdCapsLockSwitch, 0);
        }
        const char *next = c.atExit ? "CapsLockDisplay=0" : "CapsLockDisplay=1";
        EXPECT_TRUE(WaitFor([&] { return Contains(ReadFileBytes(ini_), next); }, kWaitMs)) << ReadFileBytes(ini_);
        EXPECT_TRUE(Contains(ReadFileBytes(ini_), "OnScreenDisplay=0")) << ReadFileBytes(ini_);
        EXPECT_FALSE(FindMessageBoxOf(program.pid()));
    }
}

TEST_F(HostTest, TrayIconsAreRightFromTheStartAndComeBackWithTheShell)
{
    FakeNotificationArea area;
    ASSERT_TRUE(area.Open());
    // Caps Lock on before the program starts. Its tray icon must show the
    // state a program starting now reads, whatever it is: on under Windows,
    // where a thread outside a key message sees the system's key state;
    // Wine 8 gives a new thread no toggle states at all.
    ASSERT_TRUE(g_keys->SetToggle(VK_CAPITAL, true));
    const std::string caps = std::string("Caps Lock: ") + (ToggleSeenByNewThread(VK_CAPITAL) ? "on" : "off");
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys())));
    ASSERT_TRUE(StartTolvar(program_));
    HWND owner = program_.Window();
    auto all = [&](DWORD operation, const std::string &capsTip, const char *num) {
        return area.Count(operation, owner, capsTip) == 1 && area.Count(operation, owner, num) == 1 &&
               area.Count(operation, owner, "Scroll Lock: off") == 1;
    };
    EXPECT_TRUE(all(NIM_ADD, caps, "Num Lock: off")) << area.Describe();
    // From the first report on, the reported state counts.
    g_keys->Tap(VK_CAPITAL);
    g_keys->Tap(VK_CAPITAL);
    EXPECT_TRUE(WaitFor([&] { return area.Count(NIM_MODIFY, owner, "Caps Lock: on") >= 1; }, kWaitMs));
    g_keys->Tap(VK_NUMLOCK);
    EXPECT_TRUE(WaitFor([&] { return area.Count(NIM_MODIFY, owner, "Num Lock: on") == 1; }, kWaitMs));

    // The shell restarts and announces its new taskbar.
    area.ClearCalls();
    ASSERT_TRUE(area.Restart());
    EXPECT_TRUE(WaitFor([&] { return all(NIM_ADD, "Caps Lock: on", "Num Lock: on"); }, kWaitMs))
        << area.Describe();

    // A shell without a notification area refuses the icons; when one
    // appears without announcing itself, the next report brings them.
    area.SetAccepting(false);
    ASSERT_TRUE(area.Restart());
    g_keys->Tap(VK_NUMLOCK);
    ASSERT_TRUE(WaitFor([&] { return area.Count(NIM_ADD, owner, "Num Lock: off", false) == 1; }, kWaitMs))
        << area.Describe();
    area.ClearCalls();
    area.SetAccepting(true);
    g_keys->Tap(VK_NUMLOCK);
    EXPECT_TRUE(WaitFor([&] { return all(NIM_ADD, "Caps Lock: on", "Num Lock: off"); }, kWaitMs))
        << area.Describe();

    // Its menu open (a right click on an icon), it still exits when asked.
    PostMessageA(owner, kMsgTray, 1, WM_RBUTTONUP);
    ASSERT_TRUE(WaitFor([] { HWND menu = FindWindowA("#32768", nullptr); return menu && IsWindowVisible(menu); },
                        kWaitMs));
    DWORD code = 1;
    ASSERT_TRUE(program_.Exit(&code));
    EXPECT_EQ(0u, code);
    int deleted = 0;
    for (const auto &call : area.Calls())
        deleted += call.operation == NIM_DELETE && call.owner == owner ? 1 : 0;
    EXPECT_EQ(3, deleted) << "the icons go with the program";
}

TEST_F(HostTest, EachKeysTrayIconAndSoundsAsItChoosesAndTheProgramsIconWhileNoKeyHasOne)
{
    FakeNotificationArea area;
    ASSERT_TRUE(area.Open());
    std::vector<Key> keys = DefaultKeys();
    keys[0].more = "Tray=1\r\nSoundOffState=0\r\n";  // while on; silent going off
    keys[1].more = "Tray=2\r\n";                      // never
    keys[2].more = "Tray=2\r\nSoundOnState=0\r\n";
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(keys)));
    ASSERT_TRUE(StartTolvar(program_));
    const HWND owner = program_.Window();
    // Caps Lock's icon only while it is on, the program's only while
    // Caps Lock's is not there.
    auto holds = [&](bool capsOn) {
        return (area.IdOf(owner, "Caps Lock: on") != 0) == capsOn && !area.IdOf(owner, "Caps Lock: off") &&
               (area.IdOf(owner, "Tolvar") != 0) == !capsOn;
    };
    EXPECT_TRUE(holds(false)) << area.Describe();
    auto tapCaps = [] {
        g_keys->Tap(VK_CAPITAL);
        return true;
    };
    const struct {
        const char *what;
        std::function<bool()> change;
        bool capsOn;
    } rows[] = {
        {"Caps Lock on", tapCaps, true},
        {"Caps Lock off", tapCaps, false},
        {"Caps Lock on again", tapCaps, true},
        {"a new shell", [&] { return area.Restart(); }, true},
        {"Caps Lock off in the new shell", tapCaps, false},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(r.change());
        EXPECT_TRUE(WaitFor([&] { return holds(r.capsOn); }, kWaitMs)) << area.Describe();
    }
    EXPECT_FALSE(area.IdOf(owner, "Num Lock: off") || area.IdOf(owner, "Scroll Lock: off")) << area.Describe();
    g_keys->Tap(VK_SCROLL);
    const std::vector<std::string> expected = {
        "0x14 0x80 1 \"Caps Lock\" icon=res:2000 sound=res:106",
        "0x14 0x80 0 \"Caps Lock\" icon=res:2001 sound=silent",
        "0x14 0x80 1 \"Caps Lock\" icon=res:2000 sound=res:106",
        "0x14 0x80 0 \"Caps Lock\" icon=res:2001 sound=silent",
        "0x91 0x80 1 \"Scroll Lock\" icon=res:4000 sound=silent",
    };
    ASSERT_TRUE(WaitLogLines(log_, expected.size()));
    EXPECT_EQ(expected, LogLines(log_));
    EXPECT_FALSE(area.IdOf(owner, "Scroll Lock: on")) << area.Describe();
    area.ClearCalls();
    DWORD code = 1;
    ASSERT_TRUE(program_.Exit(&code));
    EXPECT_EQ(1, area.Count(NIM_DELETE, owner, "Tolvar")) << area.Describe();
    EXPECT_EQ(1u, area.Calls().size()) << area.Describe();
}

// The personalisation value that says whether the taskbar is light; the
// prefix's own is put back at the end.
class LightTaskbar {
public:
    LightTaskbar()
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        had_ = key_ && RegQueryValueExA(key_, kValue, nullptr, nullptr, reinterpret_cast<BYTE *>(&before_), &size_) ==
                           ERROR_SUCCESS;
    }
    ~LightTaskbar()
    {
        Set(had_ ? static_cast<int>(before_) : -1);
        if (key_)
            RegCloseKey(key_);
    }
    // -1: no value.
    bool Set(int value)
    {
        const DWORD v = static_cast<DWORD>(value);
        return value < 0 ? (RegDeleteValueA(key_, kValue), true)
                         : RegSetValueExA(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v), sizeof v) ==
                               ERROR_SUCCESS;
    }

private:
    static constexpr const char *kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    static constexpr const char *kValue = "SystemUsesLightTheme";
    HKEY key_ = nullptr;
    bool had_ = false;
    DWORD before_ = 0, size_ = sizeof(DWORD);
};

TEST_F(HostTest, DefaultTrayIconsFollowTheTaskbarsLookAndPickedOnesStay)
{
    FakeNotificationArea area;
    ASSERT_TRUE(area.Open());
    LightTaskbar taskbar;
    ASSERT_TRUE(taskbar.Set(1));
    const std::string icon = folder_ + "\\num off.ico";
    ASSERT_TRUE(WriteFileBytes(icon, IconFileBytes()));
    std::vector<Key> keys = DefaultKeys();
    keys[1].more = "IconOff=\"" + icon + "\"\r\n";
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(keys)));
    ASSERT_TRUE(StartTolvar(program_));
    const HWND owner = program_.Window();
    // The images of the program's resources at the tray's size.
    HMODULE exe = LoadLibraryExA(exe_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(exe);
    auto image = [&](int id) {
        const int size = GetSystemMetrics(SM_CXSMICON);
        HICON loaded = static_cast<HICON>(LoadImageA(exe, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
        const std::string bits = IconColourBits(loaded);
        DestroyIcon(loaded);
        return bits;
    };
    auto shows = [&](const char *tip, int id) {
        const std::string bits = image(id);
        return !bits.empty() && area.HeldData(owner, tip).find(bits) != std::string::npos;
    };
    const std::string picked = area.HeldData(owner, "Num Lock: off");
    EXPECT_TRUE(shows("Caps Lock: off", 5001) && shows("Scroll Lock: off", 5021)) << "a light taskbar at start";
    const struct {
        const char *what;
        int value;      // SystemUsesLightTheme, -1: none
        int capsOff;    // the resources then shown
        int scrollOff;
    } rows[] = {
        {"dark", 0, 5101, 5121},
        {"light", 1, 5001, 5021},
        {"not said, as Windows' default: dark", -1, 5101, 5121},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        area.ClearCalls();
        ASSERT_TRUE(taskbar.Set(r.value));
        DWORD_PTR result = 0;
        SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("ImmersiveColorSet"),
                            SMTO_ABORTIFHUNG, 5000, &result);
        // Modified in place, each keeping its spot; the picked icon as it is.
        EXPECT_TRUE(WaitFor([&] { return shows("Caps Lock: off", r.capsOff) && shows("Scroll Lock: off", r.scrollOff); },
                            kWaitMs))
            << area.Describe();
        EXPECT_EQ(1, area.Count(NIM_MODIFY, owner, "Caps Lock: off")) << area.Describe();
        EXPECT_EQ(0, area.Count(NIM_ADD, owner, "Caps Lock: off")) << area.Describe();
        EXPECT_EQ(picked, area.HeldData(owner, "Num Lock: off"));
    }
    FreeLibrary(exe);
}

TEST_F(HostTest, TheSplashGreetsAUserWhoStartsItNotALogonOrAnInstaller)
{
    wchar_t startup[MAX_PATH] = L"", desktop[MAX_PATH] = L"";
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, startup));
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop));
    std::wstring startupInOtherCase = startup;
    CharLowerBuffW(&startupInOtherCase[0], static_cast<DWORD>(startupInOtherCase.size()));
    const struct {
        const char *what;
        const char *argument;  // besides --settings
        const char *display;   // lines of [Display]
        std::wstring shortcut; // started from it
        bool splash;
    } rows[] = {
        {"by hand", nullptr, "", L"", true},
        {"from a shortcut on the desktop", nullptr, "", std::wstring(desktop) + L"\\Tolvar.lnk", true},
        {"at logon, from the Startup folder", nullptr, "", startupInOtherCase + L"\\Tolvar.lnk", false},
        {"by an installer", "/quiet", "", L"", false},
        {"with the splash turned off", nullptr, "Splash=0\r\n", L"", false},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys(), "", r.display)));
        TolvarProgram program;
        program.FromShortcut(r.shortcut);
        std::vector<std::string> args = {"--settings", ini_};
        if (r.argument)
            args.push_back(r.argument);
        ASSERT_TRUE(program.Start(exe_, args));
        ASSERT_TRUE(program.WaitReady());
        // Once the start's last message is handled, a splash is up.
        ASSERT_TRUE(program.WaitHandled());
        EXPECT_EQ(r.splash, FindDialogOf(program.pid(), "Tolvar About") != nullptr);
        DWORD code = 1;
        ASSERT_TRUE(program.Exit(&code));
        EXPECT_EQ(0u, code);
    }
}

TEST_F(HostTest, TheEndOfTheSessionClosesItsDialogsAndEndsIt)
{
    enum Open { kNothing, kOptions, kAddKeyOverOptions, kAbout, kDisplay };
    const struct {
        const char *what;
        Open open;
        DWORD how;  // 0: shutdown; ENDSESSION_CLOSEAPP: an installer's restart of the program
    } cases[] = {
        {"options open, shutdown", kOptions, 0},
        {"options open, closed for an installer", kOptions, ENDSESSION_CLOSEAPP},
        {"Add New Key over the options, logoff", kAddKeyOverOptions, ENDSESSION_LOGOFF},
        {"About box, closed for an installer", kAbout, ENDSESSION_CLOSEAPP},
        {"Display window open, logoff", kDisplay, ENDSESSION_LOGOFF},
        {"nothing open, closed for an installer", kNothing, ENDSESSION_CLOSEAPP},
    };
    FakeNotificationArea area;
    ASSERT_TRUE(area.Open());
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys())));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        // A new start runs each time: the previous one let go of its
        // instance object.
        TolvarProgram program;
        ASSERT_TRUE(StartTolvar(program));
        HWND window = program.Window();
        if (c.open == kOptions || c.open == kAddKeyOverOptions) {
            PostMessageA(window, kMsgTray, 1, WM_LBUTTONDBLCLK);
            HWND options = WaitDialog(program.pid(), "Tolvar Options");
            ASSERT_TRUE(options);
            if (c.open == kAddKeyOverOptions) {
                ClickIn(options, IDC_ADD_NEW);
                ASSERT_TRUE(WaitDialog(program.pid(), "Add New Key"));
            }
        } else if (c.open == kAbout) {
            PostMessageA(window, WM_COMMAND, kCmdAbout, 0);
            ASSERT_TRUE(WaitDialog(program.pid(), "Tolvar About"));
        } else if (c.open == kDisplay) {
            PostMessageA(window, WM_COMMAND, kCmdDisplayWindow, 0);
            ASSERT_TRUE(WaitDialog(program.pid(), kDisplayWindow));
        }
        area.ClearCalls();
        DWORD_PTR answer = 0;
        ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, c.how, SMTO_NORMAL, kWaitMs, &answer));
        EXPECT_EQ(TRUE, answer);
        // Once this returns, the system may end the process at any time:
        // the icons are gone by then.
        EXPECT_TRUE(SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, c.how, SMTO_NORMAL, kWaitMs, &answer));
        int deleted = 0;
        for (const auto &call : area.Calls())
            deleted += call.operation == NIM_DELETE && call.owner == window ? 1 : 0;
        EXPECT_EQ(3, deleted) << area.Describe();
        // And it ends by itself, without a fault.
        DWORD code = 1;
        ASSERT_TRUE(program.WaitExit(&code));
        EXPECT_EQ(0u, code);
        HANDLE instance = OpenMutexA(SYNCHRONIZE, FALSE, kInstanceObject);
        EXPECT_FALSE(instance);
        if (instance)
            CloseHandle(instance);
    }
}

BOOL WINAPI RefusedPost(HWND, UINT, WPARAM, LPARAM)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST_F(HostTest, AnInstanceThatCannotBeAskedIsReportedAtOnce)
{
    // A Tolvar that hangs while starting or ending: it holds the instance
    // object, and has no window.
    HANDLE held = CreateMutexA(nullptr, FALSE, kInstanceObject);
    ASSERT_TRUE(held);
    TolvarProgram exit;
    ASSERT_TRUE(exit.Start(exe_, {"--exit"}));
    DWORD code = 0;
    ASSERT_TRUE(exit.WaitExit(&code));
    EXPECT_EQ(3u, code);
    EXPECT_TRUE(Contains(exit.Output(), "there is no Tolvar window")) << exit.Output();
    TolvarProgram second;
    ASSERT_TRUE(second.Start(exe_, {"--no-splash", "--settings", ini_}));
    HWND box = WaitMessageBox(second.pid());
    ASSERT_TRUE(box);
    EXPECT_TRUE(Contains(MessageBoxText(box), "there is no Tolvar window")) << MessageBoxText(box);
    ClickIn(box, IDOK);
    ASSERT_TRUE(second.WaitExit(&code));
    EXPECT_EQ(3u, code);

    // A Tolvar with administrator rights that does not let other programs'
    // messages through: the system refuses them. Here in this process, its
    // window a stand-in and the refusal its own PostMessageA's.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TolvarIndicatorWindow";
    RegisterClassA(&wc);
    HWND standIn = CreateWindowA(wc.lpszClassName, "Tolvar", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(standIn);
    void *post = PatchImport(GetModuleHandleA(nullptr), "user32.dll", "PostMessageA", reinterpret_cast<void *>(RefusedPost));
    ASSERT_TRUE(post);
    const DWORD start = GetTickCount();
    const tolvar::InstanceAnswer toExit = tolvar::AskRunningInstanceToExit(30000);
    const DWORD took = GetTickCount() - start;
    const tolvar::InstanceAnswer handOver = tolvar::HandOverToRunningInstance(false);
    PatchImport(GetModuleHandleA(nullptr), "user32.dll", "PostMessageA", post);
    DestroyWindow(standIn);
    CloseHandle(held);
    EXPECT_EQ(tolvar::kExitUnreachable, toExit.exitCode);
    EXPECT_LT(took, 10000u) << "waited for an instance it could not ask";
    EXPECT_TRUE(Contains(toExit.message, "administrator rights")) << toExit.message;
    EXPECT_EQ(tolvar::kExitUnreachable, handOver.exitCode);
    EXPECT_TRUE(Contains(handOver.message, "administrator rights")) << handOver.message;
}

TEST_F(HostTest, MissingFilesAndObjectsOfOthersAreReportedNotSilent)
{
    enum Channel { kNone, kOtherHost, kDeadTolvar };
    // An object of Tolvar's name that another user, or a program at low
    // integrity, made before it starts.
    const char kOtherUser[] = "O:SY";
    const char kLowIntegrity[] = "S:(ML;;NW;;;LW)";
    const struct {
        const char *what;
        std::vector<const char *> files;
        Channel channel;
        ForeignObject::Kind foreignKind;
        const char *foreignName;  // null: none
        const char *foreignSecurity;
        const char *says;  // null: no message, it runs
        DWORD exitCode;
    } cases[] = {
        {"no hook library", {"Tolvar.exe", "Tolvar.dll"}, kNone, ForeignObject::kMutex, nullptr, nullptr, "TolvarEx.dll", 1},
        {"another host's channel", {"Tolvar.exe", "Tolvar.dll", "TolvarEx.dll"}, kOtherHost, ForeignObject::kMutex,
         nullptr, nullptr, "already uses", 1},
        {"a killed Tolvar's channel", {"Tolvar.exe", "Tolvar.dll", "TolvarEx.dll"}, kDeadTolvar, ForeignObject::kMutex,
         nullptr, nullptr, nullptr, 0},
        {"no options library", {"Tolvar.exe", "TolvarEx.dll"}, kNone, ForeignObject::kMutex, nullptr, nullptr,
         "Tolvar.dll", 0},
        {"a channel of another user", {"Tolvar.exe", "Tolvar.dll", "TolvarEx.dll"}, kNone, ForeignObject::kMapping,
         "tvHookMMFName", kOtherUser, "made by another user", 1},
        {"a channel mutex planted at low integrity", {"Tolvar.exe", "Tolvar.dll", "TolvarEx.dll"}, kNone,
         ForeignObject::kMutex, "tvHookMutexName", kLowIntegrity, "made by another user", 1},
        {"an instance object of another user", {"Tolvar.exe", "Tolvar.dll", "TolvarEx.dll"}, kNone,
         ForeignObject::kMutex, "Local\\Tolvar.Indicator.Instance", kOtherUser, "instance object", 1},
        // As a program stopped in a debugger while a key was reported would.
        {"a channel mutex that a frozen program holds", {"Tolvar.exe", "Tolvar.dll", "TolvarEx.dll"}, kNone,
         ForeignObject::kHeldMutex, "tvHookMutexName", nullptr, "does not let go", 1},
        // Beside the program, where any program of the user may write.
        {"a winmm.dll planted beside it", {"Tolvar.exe", "Tolvar.dll", "TolvarEx.dll", "planted\\winmm.dll"}, kNone,
         ForeignObject::kMutex, nullptr, nullptr, nullptr, 0},
    };
    int row = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = FreshFolder("alone-" + std::to_string(++row));
        bool planted = false;
        for (const std::string file : c.files) {
            planted = planted || file.find("planted") == 0;
            const std::string name = file.substr(file.rfind('\\') + 1);
            ASSERT_TRUE(CopyFileA((TestBinFolder() + "\\" + file).c_str(), (folder + "\\" + name).c_str(), FALSE));
        }
        ForeignObject foreign;
        if (c.foreignName) {
            ASSERT_TRUE(foreign.Make(c.foreignKind, c.foreignName, c.foreignSecurity));
        }
        // A channel with its hook installed: another program's, or marked
        // as Tolvar's own by one that ended without removing its hook.
        HANDLE channel = c.channel == kNone ? nullptr
                                            : CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                                                 0, 4096, "tvHookMMFName");
        // On every way out: other processes may keep the mapping open, with
        // no hook in it then.
        struct ChannelRelease {
            HANDLE mapping;
            ~ChannelRelease()
            {
                if (!mapping)
                    return;
                DWORD *hookHandle = static_cast<DWORD *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
                if (hookHandle)
                    *hookHandle = 0;
                UnmapViewOfFile(hookHandle);
                CloseHandle(mapping);
            }
        } release = {channel};
        if (channel) {
            char *block = static_cast<char *>(MapViewOfFile(channel, FILE_MAP_ALL_ACCESS, 0, 0, 0));
            ASSERT_TRUE(block);
            // (The mapping may be one that earlier runs left in this process.)
            *reinterpret_cast<DWORD *>(block) = 0x1234;
            memcpy(block + 9, c.channel == kDeadTolvar ? "Tlv" : "abc", 3);
            UnmapViewOfFile(block);
        }
        DeleteFileA(log_.c_str());
        // No --settings: the settings live beside the program.
        TolvarProgram program;
        NativeFirstInTolvar nativeFirst(planted ? "winmm" : nullptr);
        ASSERT_TRUE(program.Start(folder + "\\Tolvar.exe", {"--no-splash", "--log", log_}));
        if (c.says) {
            HWND box = WaitMessageBox(program.pid());
            ASSERT_TRUE(box);
            EXPECT_TRUE(Contains(MessageBoxText(box), c.says)) << MessageBoxText(box);
            ClickIn(box, IDOK);
        } else {
            ASSERT_TRUE(program.WaitReady());
        }
        if (c.exitCode == 0) {
            // It indicates, and keeps its settings beside itself, where it
            // may write.
            g_keys->Tap(VK_CAPITAL);
            ASSERT_TRUE(WaitLogLines(log_, 1));
            EXPECT_EQ("0x14 0x80 1 \"Caps Lock\" icon=res:2000 sound=res:106", LogLines(log_)[0]);
            const std::string ini = folder + "\\Tolvar.ini";
            PostMessageA(program.Window(), WM_COMMAND, kCmdDisplaySwitch, 0);
            EXPECT_TRUE(WaitFor([&] { return Contains(ReadFileBytes(ini), "OnScreenDisplay=0"); }, kWaitMs));
            EXPECT_FALSE(FileExists(ini + ".new"));
            EXPECT_FALSE(FindMessageBoxOf(program.pid())) << MessageBoxText(FindMessageBoxOf(program.pid()));
            // Its sounds, and the options library's, come from the system's
            // winmm.dll, never from one beside it.
            EXPECT_FALSE(FileExists(folder + "\\winmm.dll.loaded"));
            // No user guide beside it: its Help says so, naming the file.
            PostMessageA(program.Window(), WM_COMMAND, kCmdHelp, 0);
            HWND box = WaitMessageBox(program.pid());
            ASSERT_TRUE(box);
            EXPECT_TRUE(Contains(MessageBoxText(box), folder + "\\Tolvar.html")) << MessageBoxText(box);
            ClickIn(box, IDOK);
            ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, kWaitMs));
            DWORD code = 1;
            ASSERT_TRUE(program.Exit(&code));
            EXPECT_EQ(0u, code);
        } else {
            DWORD code = 0;
            ASSERT_TRUE(program.WaitExit(&code));
            EXPECT_EQ(c.exitCode, code);
        }
        LockKeysOff();
    }
}

TEST_F(HostTest, StartsIndicatesAndSavesInAFolderNamedInAnyLanguage)
{
    // "Дмитрий": letters the test's ANSI code page lacks.
    const std::wstring user = L"\x0414\x043C\x0438\x0442\x0440\x0438\x0439";
    BOOL lossy = FALSE;
    char ansi[32];
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, user.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_TRUE(lossy) << "this test needs an ANSI code page without Cyrillic letters, such as 1252";
    const std::wstring journal = L"\x0436\x0443\x0440\x043D\x0430\x043B.log";  // журнал.log
    const struct {
        const char *what;
        bool manifest;
        std::wstring logName;
        bool refused;  // the name has no form for the ANSI calls: a message names it
    } cases[] = {
        // Its manifest makes UTF-8 its ANSI code page: every name as it is.
        {"as built", true, journal, false},
        // The system's code page: the folders' short names stand in...
        {"with the system's code page", false, L"indications.log", false},
        // ...but a file still to be made has none.
        {"with the system's code page, a new file so named", false, journal, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring home = Widen(FreshFolder("named")) + L"\\" + user;
        const std::wstring folder = home + L"\\Tolvar";
        ASSERT_TRUE(CreateDirectoryW(home.c_str(), nullptr) && CreateDirectoryW(folder.c_str(), nullptr));
        for (const wchar_t *file : {L"Tolvar.exe", L"Tolvar.dll", L"TolvarEx.dll"})
            ASSERT_TRUE(CopyFileW((Widen(TestBinFolder()) + L"\\" + file).c_str(), (folder + L"\\" + file).c_str(), FALSE));
        if (!c.manifest) {
            ASSERT_TRUE(WithSystemCodePage(folder + L"\\Tolvar.exe"));
        }
        // No --settings: the settings beside the program are read and saved.
        std::vector<Key> keys = DefaultKeys();
        keys[0].name = "Caps Lock here";
        const std::string ini = ShortAnsi(folder) + "\\Tolvar.ini";
        ASSERT_TRUE(WriteFileBytes(ini, Ini(keys)));
        const std::wstring log = folder + L"\\" + c.logName;

        TolvarProgram program;
        ASSERT_TRUE(program.Start(folder + L"\\Tolvar.exe", {L"--no-splash", L"--log", log}, folder_ + "\\out.txt"));
        if (c.refused) {
            HWND box = WaitMessageBox(program.pid());
            ASSERT_TRUE(box);
            wchar_t text[1024] = L"";
            GetDlgItemTextW(box, 0xFFFF, text, 1024);
            EXPECT_TRUE(wcsstr(text, log.c_str())) << MessageBoxText(box);
            ClickIn(box, IDOK);
            DWORD code = 0;
            ASSERT_TRUE(program.WaitExit(&code));
            EXPECT_EQ(2u, code);
            continue;
        }
        ASSERT_TRUE(program.WaitReady());
        EXPECT_TRUE(LoadedFrom(program.pid(), folder + L"\\Tolvar.dll"));
        EXPECT_TRUE(LoadedFrom(program.pid(), folder + L"\\TolvarEx.dll"));
        g_keys->Tap(VK_CAPITAL);
        ASSERT_TRUE(WaitLogLines(ShortAnsi(log), 1));
        EXPECT_EQ("0x14 0x80 1 \"Caps Lock here\" icon=res:2000 sound=res:106", LogLines(ShortAnsi(log))[0]);
        PostMessageA(program.Window(), WM_COMMAND, kCmdDisplaySwitch, 0);
        EXPECT_TRUE(WaitFor([&] { return Contains(ReadFileBytes(ini), "OnScreenDisplay=0"); }, kWaitMs));
        DWORD code = 1;
        ASSERT_TRUE(program.Exit(&code));
        EXPECT_EQ(0u, code);
        LockKeysOff();
    }
}

TEST_F(HostTest, LockStatesChangedOutOfTheHooksSightAreShownAtTheNextSystemNotice)
{
    FakeNotificationArea area;
    ASSERT_TRUE(area.Open());
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys(), "CapsLockDisplay=1\r\nDisplayMilliseconds=10000\r\n")));
    ASSERT_TRUE(StartTolvar(program_));
    const HWND owner = program_.Window();
    KeyWindow other;  // the window another program brings to the front
    ASSERT_TRUE(other.Open());
    const UINT kSessionChange = 0x02B1;  // WM_WTSSESSION_CHANGE
    const WPARAM kSessionUnlock = 0x8, kRemoteConnect = 0x3;
    const struct {
        const char *what;
        std::function<bool()> notice;
    } rows[] = {
        {"session unlocked", [&] { return Deliver(owner, kSessionChange, kSessionUnlock, 1); }},
        {"remote session connected", [&] { return Deliver(owner, kSessionChange, kRemoteConnect, 1); }},
        {"resumed from sleep", [&] { return Deliver(owner, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0); }},
        {"display changed", [&] { return Deliver(owner, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024)); }},
        {"shell restarted", [&] { return area.Restart(); }},
        // Windows raises the event whenever another window comes to the
        // front; Wine 8 does not, so the test raises it as the system would.
        // Last: the system may raise it again later, which would put right
        // a later row's change before its own notice.
        {"another window activated",
         [&] { return BringToFront(other.window(), nullptr, kWaitMs) && RaiseForegroundEvent(other.window()); }},
    };
    int row = 0;
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        // Caps Lock changes every time, Scroll Lock every other time, both
        // unseen by the hook.
        ASSERT_TRUE(TapUnseen(*g_keys, VK_CAPITAL));
        if (row++ % 2 == 0) {
            ASSERT_TRUE(TapUnseen(*g_keys, VK_SCROLL));
        }
        const bool caps = g_keys->Toggled(VK_CAPITAL), scroll = g_keys->Toggled(VK_SCROLL);
        EXPECT_EQ(0u, area.IdOf(owner, Tip("Caps Lock", caps))) << "before the notice";
        ASSERT_TRUE(r.notice());
        EXPECT_TRUE(WaitFor(
            [&] {
                return area.IdOf(owner, Tip("Caps Lock", caps)) && area.IdOf(owner, Tip("Scroll Lock", scroll)) &&
                       area.IdOf(owner, "Num Lock: off") && DisplayShown(kCapsLockDisplay) == caps;
            },
            kWaitMs))
            << area.Describe();
        // Put right quietly: no indication, no sound, no display.
        EXPECT_TRUE(LogLines(log_).empty());
        EXPECT_FALSE(DisplayShown(kIndicationDisplay));
    }
}

TEST_F(HostTest, AnIconTheShellTookWhileAnsweringFailureKeepsFollowingItsKey)
{
    FakeNotificationArea area;
    ASSERT_TRUE(area.Open());
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys())));
    ASSERT_TRUE(StartTolvar(program_));
    const HWND owner = program_.Window();
    const UINT caps = area.IdOf(owner, "Caps Lock: off");
    ASSERT_NE(0u, caps) << area.Describe();
    const struct {
        const char *what;
        bool addedLate;  // the shell had no notification area at first
    } rows[] = {{"a change", false}, {"an icon added late", true}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        if (r.addedLate) {
            area.ClearCalls();
            area.SetAccepting(false);
            ASSERT_TRUE(area.Restart());
            // The last icon the new shell refused.
            ASSERT_TRUE(WaitFor([&] { return area.Count(NIM_MODIFY, owner, "Scroll Lock: off", false) == 1; }, kWaitMs))
                << area.Describe();
        }
        area.FailNextAnswer();
        area.SetAccepting(true);
        for (int tap = 0; tap < 2; ++tap) {
            g_keys->Tap(VK_CAPITAL);
            const std::string tip = Tip("Caps Lock", g_keys->Toggled(VK_CAPITAL));
            EXPECT_TRUE(WaitFor([&] { return area.IdOf(owner, tip) == caps; }, kWaitMs)) << tip << "\n" << area.Describe();
        }
    }
}

TEST_F(HostTest, EachKeyKeepsItsTrayIconWhenTheKeysAreReorderedOrDeleted)
{
    FakeNotificationArea area;
    ASSERT_TRUE(area.Open());
    const std::vector<Key> keys = DefaultKeys();
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(keys)));
    ASSERT_TRUE(StartTolvar(program_));
    const UINT caps = area.IdOf(program_.Window(), "Caps Lock: off");
    const UINT scroll = area.IdOf(program_.Window(), "Scroll Lock: off");
    ASSERT_TRUE(caps && scroll) << area.Describe();
    DWORD code = 1;
    ASSERT_TRUE(program_.Exit(&code));

    // Scroll Lock first, Num Lock gone: the shell keeps its choices for an
    // icon under the icon's id.
    ASSERT_TRUE(WriteFileBytes(ini_, Ini({keys[2], keys[0]})));
    ASSERT_TRUE(StartTolvar(program_));
    EXPECT_EQ(scroll, area.IdOf(program_.Window(), "Scroll Lock: off")) << area.Describe();
    EXPECT_EQ(caps, area.IdOf(program_.Window(), "Caps Lock: off")) << area.Describe();
}

// Indicators on screen cost nothing while no key changes: no timer, no
// polling, no repaint. The program's CPU time over a minute, once the last
// display has faded out, stays below what Windows' clock can even tell
// apart from nothing (one tick of 15.6 ms), with a tick to spare.
TEST_F(HostTest, AnIdleProgramWithIndicatorsOnScreenTakesNoProcessorTime)
{
    const double kMaxIdleCpuMs = 2 * 15.625;
    const DWORD kIdleMs = 60 * 1000;
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys(), "CapsLockDisplay=1\r\nNumLockDisplay=2\r\n")));
    ASSERT_TRUE(StartTolvar(program_));
    g_keys->Tap(VK_CAPITAL);
    ASSERT_TRUE(WaitLogLines(log_, 1));
    ASSERT_TRUE(WaitFor([] { return DisplayShown(kCapsLockDisplay) && DisplayShown("Tolvar Num Lock"); }, kWaitMs));
    ASSERT_TRUE(WaitFor([] { return !DisplayShown(kIndicationDisplay); }, kWaitMs));
    ASSERT_TRUE(program_.WaitHandled());

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, program_.pid());
    ASSERT_TRUE(process);
    auto cpuMs = [process] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(process, &created, &exited, &kernel, &user);
        auto ms = [](const FILETIME &t) { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4; };
        return ms(kernel) + ms(user);
    };
    const double before = cpuMs();
    Sleep(kIdleMs);  // the span measured, not a wait for anything
    const double idle = cpuMs() - before;
    CloseHandle(process);
    ::testing::Test::RecordProperty("idle_cpu_ms_over_60_s", int(idle));
    EXPECT_LE(idle, kMaxIdleCpuMs);
    EXPECT_TRUE(DisplayShown(kCapsLockDisplay) && DisplayShown("Tolvar Num Lock"));
}

TEST_F(HostTest, TheCapsLockDisplayFollowsTheScreen)
{
    FakeNotificationArea area;
    ASSERT_TRUE(area.Open());
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys(), "CapsLockDisplay=1\r\nOnScreenDisplay=0\r\n")));
    ASSERT_TRUE(StartTolvar(program_));
    const HWND owner = program_.Window();
    g_keys->Tap(VK_CAPITAL);
    ASSERT_TRUE(WaitFor([] { return DisplayShown(kCapsLockDisplay); }, kWaitMs));
    struct ScreenBack {
        ~ScreenBack() { ChangeDisplaySettingsA(nullptr, 0); }
    } back;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const RECT aboveBar = {0, 0, width, height - 100};
    const struct {
        const char *what;
        std::function<bool()> change;
        RECT area;  // the display sits in its bottom right quarter
    } rows[] = {
        {"a taskbar inside the work area",
         [&] {
             return area.ShowAsTaskbar({0, height - 100, width, height}) &&
                    Deliver(owner, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
         },
         aboveBar},
        {"a smaller resolution",
         [] {
             DEVMODEA mode = {};
             mode.dmSize = sizeof mode;
             mode.dmPelsWidth = 800;
             mode.dmPelsHeight = 600;
             mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
             return ChangeDisplaySettingsA(&mode, 0) == DISP_CHANGE_SUCCESSFUL;
         },
         {0, 0, 800, 600}},
        {"the resolution back", [] { return ChangeDisplaySettingsA(nullptr, 0) == DISP_CHANGE_SUCCESSFUL; }, aboveBar},
    };
    RECT place = {};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(r.change());
        const RECT a = r.area;
        EXPECT_TRUE(WaitFor(
            [&] {
                return DisplayShown(kCapsLockDisplay, &place) && place.left >= a.left && place.top >= a.top &&
                       place.right <= a.right && place.bottom <= a.bottom &&
                       place.right > a.right - (a.right - a.left) / 4 && place.bottom > a.bottom - (a.bottom - a.top) / 4;
            },
            kWaitMs))
            << place.left << "," << place.top << " " << place.right << "," << place.bottom;
    }
}

// Over a window that covers its whole monitor (a game, a video) nothing
// shows; the indicators that stay come back when it is gone. A key can
// bring up the display for one of its states only.
TEST_F(HostTest, NothingShowsOverAFullScreenWindowAndEachStateHasItsOwnDisplay)
{
    std::string ini = Ini(DefaultKeys(), "CapsLockDisplay=1\r\nDisplayMilliseconds=10000\r\n");
    const std::string num = "Name=\"Num Lock\"";
    ini.replace(ini.find(num), num.size(), num + "\r\nDisplayOff=0");
    ASSERT_TRUE(WriteFileBytes(ini_, ini));
    FakeNotificationArea area;
    ASSERT_TRUE(area.Open());
    ASSERT_TRUE(StartTolvar(program_));
    const HWND window = g_keys->window();
    RECT normal;
    ASSERT_TRUE(GetWindowRect(window, &normal));
    struct Restore {
        HWND window;
        RECT normal;
        ~Restore() { FullScreen(window, false, normal); }
        static void FullScreen(HWND window, bool full, const RECT &normal)
        {
            MONITORINFO info;
            info.cbSize = sizeof info;
            GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info);
            const RECT r = full ? info.rcMonitor : normal;
            SetWindowLongPtrA(window, GWL_STYLE, (full ? WS_POPUP : WS_OVERLAPPEDWINDOW) | WS_VISIBLE);
            SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_FRAMECHANGED);
        }
    } restore = {window, normal};
    const struct {
        const char *what;
        bool fullScreen;
        WORD vk;          // tapped, or 0: the foreground event only
        const char *tip;  // the tray's tooltip once the key is shown
        bool display, capsLock;
    } rows[] = {
        {"Caps Lock on", false, VK_CAPITAL, "Caps Lock: on", true, true},
        {"Num Lock on, full screen", true, VK_NUMLOCK, "Num Lock: on", false, false},
        {"full screen ended", false, 0, nullptr, false, true},
        {"Num Lock off, its display for on only", false, VK_NUMLOCK, "Num Lock: off", false, true},
        {"Scroll Lock on", false, VK_SCROLL, "Scroll Lock: on", true, true},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        Restore::FullScreen(window, r.fullScreen, normal);
        if (r.vk) {
            g_keys->Tap(r.vk);
            // The tray and the displays are shown together.
            ASSERT_TRUE(WaitFor([&] { return area.IdOf(program_.Window(), r.tip) != 0; }, kWaitMs));
        } else {
            ASSERT_TRUE(RaiseForegroundEvent(window));
        }
        if (r.capsLock || r.display) {
            EXPECT_TRUE(WaitFor([&] { return DisplayShown(kCapsLockDisplay) == r.capsLock &&
                                             DisplayShown(kIndicationDisplay) == r.display; }, kWaitMs));
        }
        ASSERT_TRUE(program_.WaitHandled());
        EXPECT_EQ(r.display, DisplayShown(kIndicationDisplay));
        EXPECT_EQ(r.capsLock, DisplayShown(kCapsLockDisplay));
    }
}

// The demo presses the lock keys into Tolvar's own window: keys typed into
// its own thread are indicated like any other, on and off, and the demo ends
// with success.
TEST_F(HostTest, TheDemoIndicatesKeysTypedIntoTolvarsOwnWindow)
{
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys())));
    ASSERT_TRUE(program_.Start(exe_, {"--demo", "--no-splash", "--settings", ini_, "--log", log_}));
    DWORD code = 1;
    ASSERT_TRUE(program_.WaitExit(&code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(6u, LogLines(log_).size()) << ReadFileBytes(log_);
}

// The Display window's controls, each changed from the defaults as a user
// would, the line each change saves, and what the window shows for it.
struct DisplayChange {
    int id;
    enum How { kChoose, kClick, kType, kSlide } how;
    int value;             // the item chosen, the slider's place, a box's state after the click
    const char *typed;     // what is typed
    const char *shown;     // the edit's text afterwards
    const char *saved;     // a line of Tolvar.ini
};
const DisplayChange kDisplayChanges[] = {
    {IDC_DISPLAY_MONITOR, DisplayChange::kChoose, 1, "", "", "Monitor=1"},
    {IDC_DISPLAY_POSITION, DisplayChange::kChoose, 2, "", "", "Anchor=2"},
    {IDC_DISPLAY_OFFSET_X, DisplayChange::kType, 0, "10", "10", "OffsetX=10"},
    {IDC_DISPLAY_OFFSET_Y, DisplayChange::kType, 0, "-70", "-50", "OffsetY=-50"},
    {IDC_DISPLAY_DURATION, DisplayChange::kType, 0, "2,5", "2.5", "DisplayMilliseconds=2500"},
    {IDC_DISPLAY_UNTIL_NEXT_KEY, DisplayChange::kClick, 1, "", "", "UntilNextKey=1"},
    {IDC_DISPLAY_SIZE, DisplayChange::kChoose, 2, "", "", "Size=2"},
    {IDC_DISPLAY_OPACITY, DisplayChange::kSlide, 50, "", "", "Opacity=50"},
    {IDC_DISPLAY_THEME, DisplayChange::kChoose, 1, "", "", "Theme=1"},
    {IDC_DISPLAY_FADE, DisplayChange::kClick, 0, "", "", "Fade=0"},
    {IDC_DISPLAY_HIDE_FULL_SCREEN, DisplayChange::kClick, 0, "", "", "HideInFullScreen=0"},
    {IDC_DISPLAY_STAYS_CAPS, DisplayChange::kChoose, 1, "", "", "CapsLockDisplay=1"},
    {IDC_DISPLAY_STAYS_NUM, DisplayChange::kChoose, 2, "", "", "NumLockDisplay=2"},
    {IDC_DISPLAY_STACK_CORNER, DisplayChange::kChoose, 0, "", "", "StackCorner=0"},
    // Caps Lock, the key selected when the window opens.
    {IDC_DISPLAY_KEY_DISPLAY_OFF, DisplayChange::kClick, 0, "", "", "DisplayOff=0"},
    {IDC_DISPLAY_KEY_SOUND_ON, DisplayChange::kClick, 0, "", "", "SoundOnState=0"},
    {IDC_DISPLAY_KEY_TRAY, DisplayChange::kChoose, 2, "", "", "Tray=2"},
    {IDC_DISPLAY_ANNOUNCE, DisplayChange::kClick, 1, "", "", "Announce=1"},
    {IDC_DISPLAY_SPLASH, DisplayChange::kClick, 0, "", "", "Splash=0"},
    {IDC_DISPLAY_SHOW, DisplayChange::kClick, 0, "", "", "OnScreenDisplay=0"},
};

bool MakeChange(HWND window, const DisplayChange &c)
{
    switch (c.how) {
    case DisplayChange::kChoose: return ChooseItem(window, c.id, c.value);
    case DisplayChange::kClick: return ClickBox(window, c.id) && BoxChecked(window, c.id) == (c.value != 0);
    case DisplayChange::kType: return TypeText(window, c.id, c.typed);
    case DisplayChange::kSlide: return SlideTo(window, c.id, c.value);
    }
    return false;
}

bool ShowsChange(HWND window, const DisplayChange &c)
{
    switch (c.how) {
    case DisplayChange::kChoose: return ChosenItem(window, c.id) == c.value;
    case DisplayChange::kClick: return BoxChecked(window, c.id) == (c.value != 0);
    case DisplayChange::kType: return ControlText(window, c.id) == c.shown;
    case DisplayChange::kSlide: return SliderPosition(window, c.id) == c.value;
    }
    return false;
}

int DisplayWindowsOf(DWORD pid)
{
    int count = 0;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", kDisplayWindow));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        count += owner == pid && IsWindowVisible(w) ? 1 : 0;
    }
    return count;
}

TEST_F(HostTest, TheDisplayWindowAppliesWhatIsChangedKeepsItAndCancelsTheRest)
{
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys())));
    ASSERT_TRUE(StartTolvar(program_));
    const HWND owner = program_.Window();
    PostMessageA(owner, WM_COMMAND, kCmdDisplayWindow, 0);
    HWND window = WaitDialog(program_.pid(), kDisplayWindow);
    ASSERT_TRUE(window);
    EXPECT_FALSE(ControlEnabled(window, IDC_DISPLAY_APPLY)) << "nothing changed yet";
    // The draft shows at once: a sample display low on the screen, then at
    // the top right.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    RECT place = {};
    EXPECT_TRUE(WaitFor([&] { return DisplayShown(kIndicationDisplay, &place) && place.top > height / 2; }, kWaitMs));
    for (const DisplayChange &c : kDisplayChanges) {
        SCOPED_TRACE(c.saved);
        ASSERT_TRUE(MakeChange(window, c));
        EXPECT_TRUE(ControlEnabled(window, IDC_DISPLAY_APPLY));
        if (c.id == IDC_DISPLAY_POSITION) {
            EXPECT_TRUE(WaitFor(
                [&] {
                    return DisplayShown(kIndicationDisplay, &place) && place.bottom < height / 2 && place.left > width / 2;
                },
                kWaitMs));
        }
    }
    ClickIn(window, IDC_DISPLAY_APPLY);
    ASSERT_TRUE(WaitFor([&] { return Contains(ReadFileBytes(ini_), "OnScreenDisplay=0"); }, kWaitMs));
    const std::string applied = ReadFileBytes(ini_);
    for (const DisplayChange &c : kDisplayChanges)
        EXPECT_TRUE(Contains(applied, std::string(c.saved) + "\r\n")) << c.saved << "\n" << applied;
    ASSERT_TRUE(program_.WaitHandled());
    EXPECT_FALSE(ControlEnabled(window, IDC_DISPLAY_APPLY)) << "all applied";

    // Cancel and Escape leave the settings as applied.
    const struct {
        const char *what;
        WORD key;  // 0: the Cancel button
    } closes[] = {{"Cancel", 0}, {"Escape", VK_ESCAPE}};
    for (const auto &close : closes) {
        SCOPED_TRACE(close.what);
        if (!IsWindow(window)) {
            PostMessageA(owner, WM_COMMAND, kCmdDisplayWindow, 0);
            window = WaitDialog(program_.pid(), kDisplayWindow);
            ASSERT_TRUE(window);
        }
        ASSERT_TRUE(ChooseItem(window, IDC_DISPLAY_SIZE, 0));
        EXPECT_TRUE(ControlEnabled(window, IDC_DISPLAY_APPLY));
        if (close.key) {
            ASSERT_TRUE(FocusControl(window, IDC_DISPLAY_THEME, kWaitMs));
            TapKey(close.key);
        } else {
            ClickIn(window, IDCANCEL);
        }
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(window); }, kWaitMs));
        ASSERT_TRUE(program_.WaitHandled());
        EXPECT_EQ(applied, ReadFileBytes(ini_));
        EXPECT_FALSE(DisplayShown(kIndicationDisplay)) << "the sample goes with the window";
    }

    // Enter is OK; while the window is open, asking again brings it forward
    // and opens no second one.
    PostMessageA(owner, WM_COMMAND, kCmdDisplayWindow, 0);
    window = WaitDialog(program_.pid(), kDisplayWindow);
    ASSERT_TRUE(window);
    PostMessageA(owner, WM_COMMAND, kCmdDisplayWindow, 0);
    ASSERT_TRUE(program_.WaitHandled());
    EXPECT_EQ(1, DisplayWindowsOf(program_.pid()));
    ASSERT_TRUE(ClickBox(window, IDC_DISPLAY_KEY_DISPLAY_ON));
    ASSERT_TRUE(FocusControl(window, IDC_DISPLAY_KEYS, kWaitMs));
    TapKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(window); }, kWaitMs));
    EXPECT_TRUE(WaitFor([&] { return Contains(ReadFileBytes(ini_), "DisplayOn=0\r\n"); }, kWaitMs));
    DWORD code = 1;
    ASSERT_TRUE(program_.Exit(&code));
    EXPECT_EQ(0u, code);

    // A new run shows it all again, in the window a second start asks for.
    ASSERT_TRUE(StartTolvar(program_));
    ASSERT_TRUE(RunToEnd(exe_, {"--display", "--no-splash", "--settings", ini_}, &code));
    EXPECT_EQ(0u, code);
    window = WaitDialog(program_.pid(), kDisplayWindow);
    ASSERT_TRUE(window);
    for (const DisplayChange &c : kDisplayChanges)
        EXPECT_TRUE(ShowsChange(window, c)) << c.saved;
    EXPECT_FALSE(BoxChecked(window, IDC_DISPLAY_KEY_DISPLAY_ON));
    EXPECT_FALSE(ControlEnabled(window, IDC_DISPLAY_DURATION)) << "until the next key";
    // The next key in the list, Num Lock, brings its own choices below it.
    ASSERT_TRUE(FocusControl(window, IDC_DISPLAY_KEYS, kWaitMs));
    TapKey(VK_DOWN);
    EXPECT_TRUE(WaitFor([&] { return ChosenItem(window, IDC_DISPLAY_KEY_TRAY) == 0; }, kWaitMs));
    EXPECT_TRUE(BoxChecked(window, IDC_DISPLAY_KEY_DISPLAY_ON) && BoxChecked(window, IDC_DISPLAY_KEY_SOUND_ON));
    const std::string saved = ReadFileBytes(ini_);
    ClickIn(window, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(window); }, kWaitMs));
    ASSERT_TRUE(program_.WaitHandled());
    EXPECT_EQ(saved, ReadFileBytes(ini_));
}

// Drag to place: the sample display, dragged while the window is open, is
// where the display appears once applied. The drag is the mouse messages
// the sample gets.
TEST_F(HostTest, TheDisplayAppearsWhereItsSampleWasDragged)
{
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys())));
    ASSERT_TRUE(StartTolvar(program_));
    PostMessageA(program_.Window(), WM_COMMAND, kCmdDisplayWindow, 0);
    const HWND window = WaitDialog(program_.pid(), kDisplayWindow);
    ASSERT_TRUE(window);
    ASSERT_TRUE(ChooseItem(window, IDC_DISPLAY_POSITION, 9));  // "Drag to place"
    HWND sample = nullptr;
    RECT before = {};
    ASSERT_TRUE(WaitFor([&] { return (sample = FindWindowA("TolvarDisplay", kIndicationDisplay)) &&
                                     DisplayShown(kIndicationDisplay, &before); }, kWaitMs));
    // Grabbed 10 pixels into it, let go where its top left is at 60, 40.
    const POINT grab = {10, 10};
    const POINT to = {60 + grab.x, 40 + grab.y};
    const LPARAM moved = MAKELPARAM(to.x - before.left, to.y - before.top);  // in the sample, where it was
    ASSERT_TRUE(PostMessageA(sample, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grab.x, grab.y)));
    ASSERT_TRUE(PostMessageA(sample, WM_MOUSEMOVE, MK_LBUTTON, moved));
    ASSERT_TRUE(PostMessageA(sample, WM_LBUTTONUP, 0, MAKELPARAM(grab.x, grab.y)));
    // Posted after them to the same thread, so taken after them: once the
    // focus has moved, the drag has been handled.
    const HWND theme = GetDlgItem(window, IDC_DISPLAY_THEME);
    ASSERT_TRUE(PostMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(theme), TRUE));
    ASSERT_TRUE(WaitFor(
        [&] {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus == theme;
        },
        kWaitMs));
    RECT dropped = {};
    ASSERT_TRUE(DisplayShown(kIndicationDisplay, &dropped));
    // Kept as fractions of the room the screen leaves: within a pixel.
    EXPECT_LE(abs(to.x - grab.x - dropped.left), 1) << dropped.left;
    EXPECT_LE(abs(to.y - grab.y - dropped.top), 1) << dropped.top;
    EXPECT_TRUE(ControlEnabled(window, IDC_DISPLAY_APPLY));
    ClickIn(window, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(window); }, kWaitMs));
    const std::string saved = ReadFileBytes(ini_);
    EXPECT_TRUE(Contains(saved, "Dragged=1\r\n") && Contains(saved, "Places=1\r\n")) << saved;

    // A key's display, where the sample was let go.
    g_keys->Tap(VK_SCROLL);
    ASSERT_TRUE(WaitLogLines(log_, 1));
    RECT shown = {};
    ASSERT_TRUE(WaitFor([&] { return DisplayShown(kIndicationDisplay, &shown); }, kWaitMs));
    EXPECT_LE(abs(shown.left - dropped.left), 1) << shown.left;
    EXPECT_LE(abs(shown.top - dropped.top), 1) << shown.top;
}

// The window at the system's DPI settings: it grows with them, and no
// control overlaps another or leaves the window.
TEST_F(HostTest, TheDisplayWindowAtEveryDpi)
{
    ASSERT_TRUE(WriteFileBytes(ini_, Ini(DefaultKeys())));
    // The setting as it was comes back after the test.
    struct DpiSetting {
        HKEY key = nullptr;
        DWORD old = 0, size = sizeof old;
        bool had = false;
        DpiSetting()
        {
            RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            nullptr, &key, nullptr);
            had = key && RegQueryValueExA(key, kName, nullptr, nullptr, reinterpret_cast<BYTE *>(&old), &size) ==
                             ERROR_SUCCESS;
        }
        ~DpiSetting()
        {
            if (!key)
                return;
            if (had)
                RegSetValueExA(key, kName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&old), size);
            else
                RegDeleteValueA(key, kName);
            RegCloseKey(key);
        }
        bool Set(DWORD dpi)
        {
            return key && RegSetValueExA(key, kName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dpi), sizeof dpi) ==
                              ERROR_SUCCESS;
        }
        const char *kName = "LogPixels";
    } setting;
    int width96 = 0;
    for (DWORD dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        ASSERT_TRUE(setting.Set(dpi));
        TolvarProgram program;
        ASSERT_TRUE(StartTolvar(program));
        PostMessageA(program.Window(), WM_COMMAND, kCmdDisplayWindow, 0);
        HWND window = WaitDialog(program.pid(), kDisplayWindow);
        ASSERT_TRUE(window);
        RECT client;
        GetClientRect(window, &client);
        if (dpi == 96)
            width96 = client.right;
        EXPECT_NEAR(width96 * static_cast<int>(dpi) / 96, client.right, width96 * static_cast<int>(dpi) / 960);
        const std::vector<ChildPlace> children = ChildPlaces(window);
        for (const ChildPlace &c : children) {
            RECT inside;
            EXPECT_TRUE(IntersectRect(&inside, &c.rect, &client) && EqualRect(&inside, &c.rect)) << c.id;
        }
        const std::vector<std::string> overlaps = Overlaps(children);
        EXPECT_TRUE(overlaps.empty()) << overlaps.front();
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ASSERT_TRUE(program.WaitHandled());
        RECT r;
        GetWindowRect(window, &r);
        SaveScreenshot(r, folder_ + "\\display-window-" + std::to_string(dpi) + ".bmp");
        // Asked to exit with the window open, it ends as usual.
        DWORD code = 1;
        ASSERT_TRUE(program.Exit(&code));
        EXPECT_EQ(0u, code);
    }
}
