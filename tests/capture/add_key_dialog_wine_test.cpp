// The Add New Key dialog driven with real key events under Wine (or Windows).
//
// The dialog runs modally on the test's main thread; a driver thread injects
// keys with SendInput and clicks by posting commands. A recording keyboard
// hook on the main thread, installed before the dialog's own, is called after
// the capture hook for every key event: the driver waits on its count, so it
// knows the capture hook has seen each event before it checks the field.
//
// Inside a keyboard hook Wine reports the key state from before the current
// event, so every sequence holds its modifiers before the key that captures,
// and key names are computed with GetKeyNameTextA here, never hard-coded.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "options/capture/add_key_dialog.h"
#include "options/resources/resource_ids.h"
#include "support/modal_script.h"
#include "support/polling.h"

using tolvar::AddKeyDialog;
using tolvar::PointerArray;

namespace {

// Progress reaches the log even when a slow run is cut short.
const int g_unbuffered = [] {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    return 0;
}();

constexpr DWORD kWaitMs = 90000; // generous: Wine runs under emulation here
// The first window of a process can take minutes to appear on a loaded,
// emulating machine.
constexpr DWORD kFirstWindowWaitMs = 900000;

// ---- recording hook (main thread) ----------------------------------------
struct SeenKey {
    int vk;
    LPARAM lParam;
    bool lockOn; // low bit of GetKeyState(vk) as the hooks saw it
};
std::atomic<int> g_seenCount{0};
SeenKey g_seen[512];
HHOOK g_recordHook = nullptr;

LRESULT CALLBACK RecordHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        int n = g_seenCount.load();
        if (n < 512) {
            g_seen[n] = {static_cast<int>(wParam), lParam, (GetKeyState(static_cast<int>(wParam)) & 1) != 0};
            g_seenCount.store(n + 1);
        }
    }
    return CallNextHookEx(g_recordHook, code, wParam, lParam);
}

bool WaitFor(const std::function<bool()> &condition, DWORD ms = kWaitMs)
{
    return tolvar_test::WaitFor(condition, ms);
}

// ---- settling the X side (main thread) -------------------------------------
// Where each window is an X window of its own (no Wine virtual desktop, as
// when the program runs outside scripts/wine-session.sh), Wine brings its key
// state in line with the X server's whenever X tells a window's thread the
// keyboard state (KeymapNotify, which follows each FocusIn and each
// EnterNotify): every key that Wine holds down and X does not - every key this
// test presses, since SendInput never reaches X - is let go. Held in the
// middle of a sequence, a modifier would be released under the capture. So
// the pointer is kept out of the way (a new dialog appearing under it would
// get an EnterNotify at any time), and after each activation a message sent to
// the dialog makes its thread ask the X server for the pointer position, a
// round trip on its X connection: the FocusIn and its KeymapNotify are then
// queued on that thread, which takes them before the next message, ahead of
// any key the driver sends afterwards.
const UINT g_settleMessage = RegisterWindowMessageA("tolvar test: settle the X focus");
HHOOK g_settleHook = nullptr;

LRESULT CALLBACK SettleHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = reinterpret_cast<const CWPSTRUCT *>(lParam);
    if (code == HC_ACTION && call->message == g_settleMessage) {
        POINT ignored;
        GetCursorPos(&ignored);
    }
    return CallNextHookEx(g_settleHook, code, wParam, lParam);
}

std::string NameOf(LPARAM lParam)
{
    char name[128] = {0};
    GetKeyNameTextA(static_cast<LONG>(lParam), name, sizeof name);
    return name;
}

// A key release sent without waiting for any dialog to see it.
void ReleaseKey(WORD vk)
{
    INPUT up;
    ZeroMemory(&up, sizeof up);
    up.type = INPUT_KEYBOARD;
    up.ki.wVk = vk;
    up.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &up, sizeof up);
}

// ---- the driver ------------------------------------------------------------
class Driver {
public:
    explicit Driver(DWORD dialogThread) : thread_(dialogThread) {}

    HWND Dialog() const { return tolvar::currentCapture ? tolvar::currentCapture->Window() : nullptr; }
    HWND Item(int id) const { return GetDlgItem(Dialog(), id); }

    // Brings the dialog to the front and waits until it is there with its
    // field focused, and the X side of that activation has reached the
    // dialog's thread: only then do keys reach the capture, and held
    // modifiers stay held.
    bool WaitUntilFocused()
    {
        SetForegroundWindow(Dialog());
        const bool focused = WaitFor([&] {
            return GetForegroundWindow() == Dialog() && Focus() == Item(IDC_CAPTURE_EDIT);
        });
        DWORD_PTR ignored;
        SendMessageTimeoutA(Dialog(), g_settleMessage, 0, 0, SMTO_NORMAL, kWaitMs, &ignored);
        // The thread takes the queued X events before its next message.
        SendMessageTimeoutA(Dialog(), WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &ignored);
        return focused;
    }

    bool WaitForDialog()
    {
        return WaitFor([&] { return Dialog() != nullptr && IsWindowVisible(Dialog()); }, kFirstWindowWaitMs);
    }

    // Sends one key event and waits until the hooks of the dialog's thread
    // have seen that very event (its scan code and direction): an event left
    // over from an earlier dialog, such as the release of the Escape that
    // closed it, may reach the hooks first. Returns what the hooks saw.
    SeenKey Key(WORD vk, bool down, bool extended = false)
    {
        const int before = g_seenCount.load();
        const WORD scan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
        INPUT input;
        ZeroMemory(&input, sizeof input);
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = scan;
        input.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
        SendInput(1, &input, sizeof input);
        int found = -1;
        bool seen = WaitFor([&] {
            for (int i = before; i < g_seenCount.load(); ++i) {
                const LPARAM l = g_seen[i].lParam;
                const bool released = (l >> 31) & 1;
                if (static_cast<WORD>((l >> 16) & 0xFF) == scan && released == !down) {
                    found = i;
                    return true;
                }
            }
            return false;
        });
        EXPECT_TRUE(seen) << "key event " << vk << (down ? " down" : " up") << " never reached the dialog";
        return seen ? g_seen[found] : SeenKey{0, 0, false};
    }
    SeenKey Tap(WORD vk, bool extended = false)
    {
        SeenKey down = Key(vk, true, extended);
        Key(vk, false, extended);
        return down;
    }

    std::string FieldText() const
    {
        char text[256] = {0};
        GetWindowTextA(Item(IDC_CAPTURE_EDIT), text, sizeof text);
        return text;
    }
    bool OkEnabled() const { return IsWindowEnabled(Item(IDC_ADD_KEY_OK)) != FALSE; }

    HWND Focus() const
    {
        GUITHREADINFO info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        GetGUIThreadInfo(thread_, &info);
        return info.hwndFocus;
    }

    void Command(int id) { PostMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    // The warning box the dialog owns, once it is up.
    HWND WaitForWarning()
    {
        HWND box = nullptr;
        WaitFor([&] {
            HWND w = nullptr;
            while ((w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr) {
                if (w != Dialog() && GetWindow(w, GW_OWNER) == Dialog() && IsWindowVisible(w)) {
                    box = w;
                    return true;
                }
            }
            return false;
        });
        return box;
    }

private:
    DWORD thread_;
};

// Runs the dialog on this thread while script runs on a driver thread.
struct RunResult {
    bool shown = false;
    bool scriptFinished = false;
};

struct DriverContext {
    Driver driver;
    const std::function<void(Driver &)> *script;
    DWORD thread; // the dialog's
    std::atomic<bool> done{false};
};

DWORD WINAPI DriverThread(LPVOID p)
{
    auto *c = static_cast<DriverContext *>(p);
    if (c->driver.WaitForDialog()) {
        EXPECT_TRUE(c->driver.WaitUntilFocused()) << "the dialog never took the keyboard focus";
        (*c->script)(c->driver);
        // A script that expected the dialog to close fails here, not hangs.
        if (!WaitFor([&] { return c->driver.Dialog() == nullptr; })) {
            ADD_FAILURE() << "the dialog stayed open after the script";
            tolvar_test::WaitFor([&] {
                tolvar_test::CancelThreadDialogs(c->thread);
                return c->driver.Dialog() == nullptr;
            }, kWaitMs, 100);
        }
    } else {
        ADD_FAILURE() << "the dialog never appeared";
    }
    c->done = true;
    return 0;
}

class PointerOutOfTheWay : public testing::Environment {
public:
    // A corner that no dialog of these tests covers; the pointer stays there
    // and so never enters a new window. Wine answers GetCursorPos from its
    // own record for 100 ms after the pointer moved, and asks the X server
    // only after that: the settling round trip needs the X server asked.
    void SetUp() override
    {
        SetCursorPos(0, 0);
        const DWORD moved = GetTickCount();
        tolvar_test::WaitFor([&] { return GetTickCount() - moved > 150; }, 1000);
    }
};
testing::Environment *const g_pointer = testing::AddGlobalTestEnvironment(new PointerOutOfTheWay);

RunResult RunDialog(PointerArray<KeyItem> *list, const std::function<void(Driver &)> &script)
{
    DriverContext context{Driver(GetCurrentThreadId()), &script, GetCurrentThreadId()};

    g_seenCount.store(0);
    g_recordHook = SetWindowsHookExA(WH_KEYBOARD, RecordHook, nullptr, GetCurrentThreadId());
    EXPECT_NE(nullptr, g_recordHook);
    g_settleHook = SetWindowsHookExA(WH_CALLWNDPROC, SettleHook, nullptr, GetCurrentThreadId());
    EXPECT_NE(nullptr, g_settleHook);

    HANDLE thread = CreateThread(nullptr, 0, DriverThread, &context, 0, nullptr);

    RunResult result;
    {
        AddKeyDialog dialog;
        EXPECT_EQ(&dialog, tolvar::currentCapture);
        result.shown = dialog.Show(GetModuleHandleA(nullptr), nullptr, list);
    }
    EXPECT_EQ(nullptr, tolvar::currentCapture) << "currentCapture outlived its dialog";
    if (WaitForSingleObject(thread, kWaitMs) != WAIT_OBJECT_0)
        ADD_FAILURE() << "driver thread did not finish";
    CloseHandle(thread);
    result.scriptFinished = context.done;
    UnhookWindowsHookEx(g_recordHook);
    g_recordHook = nullptr;
    UnhookWindowsHookEx(g_settleHook);
    g_settleHook = nullptr;
    return result;
}

KeyItem *NewItem(int keyCode, ModifierFlags modifiers, const char *name)
{
    KeyItem *item = new KeyItem();
    item->active = 1;
    item->keyCode = keyCode;
    item->modifiers = modifiers;
    lstrcpynA(item->keyName, name, sizeof item->keyName);
    return item;
}

void FreeAll(PointerArray<KeyItem> &list)
{
    for (size_t i = 0; i < list.Count(); ++i)
        delete list.At(i);
    list.Clear();
}

bool AllZero(const char *bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (bytes[i])
            return false;
    return true;
}

} // namespace

// Captures with modifiers held and commits the last one.
TEST(AddKeyDialog, CapturesAndAppendsTheLastCapture)
{
    PointerArray<KeyItem> list;
    std::string expectedName;
    RunResult r = RunDialog(&list, [&](Driver &d) {
        EXPECT_EQ(d.Item(IDC_CAPTURE_EDIT), d.Focus()) << "the field has the focus at start";
        EXPECT_EQ("", d.FieldText());
        EXPECT_FALSE(d.OkEnabled()) << "OK is disabled while the field is empty";

        SeenKey a = d.Tap('A');
        EXPECT_EQ(NameOf(a.lParam), d.FieldText());
        EXPECT_TRUE(d.OkEnabled());

        // A lone release of another key never captures.
        d.Key('B', false);
        EXPECT_EQ(NameOf(a.lParam), d.FieldText());

        // Left Ctrl and left Shift held, then A.
        d.Key(VK_LCONTROL, true);
        d.Key(VK_LSHIFT, true);
        SeenKey a2 = d.Key('A', true);
        EXPECT_EQ("Ctrl+Shift+" + NameOf(a2.lParam), d.FieldText());
        // An auto-repeat captures again with the same result.
        d.Key('A', true);
        EXPECT_EQ("Ctrl+Shift+" + NameOf(a2.lParam), d.FieldText());
        d.Key('A', false);
        d.Key(VK_LSHIFT, false);
        d.Key(VK_LCONTROL, false);
        EXPECT_EQ("Ctrl+Shift+" + NameOf(a2.lParam), d.FieldText()) << "releases do not capture";

        // Right Ctrl held, then F: the last capture is the one committed.
        d.Key(VK_RCONTROL, true, true);
        SeenKey f = d.Key('F', true);
        d.Key('F', false);
        d.Key(VK_RCONTROL, false, true);
        expectedName = "Right Ctrl+" + NameOf(f.lParam);
        EXPECT_EQ(expectedName, d.FieldText());

        d.Command(IDC_ADD_KEY_OK);
    });
    EXPECT_TRUE(r.scriptFinished);
    EXPECT_TRUE(r.shown) << "OK after a capture returns true";
    ASSERT_EQ(1u, list.Count());
    const KeyItem *item = list.At(0);
    EXPECT_EQ(1, item->active);
    EXPECT_EQ('F', item->keyCode);
    EXPECT_EQ(TV_MOD_RIGHT_CTRL, item->modifiers);
    EXPECT_EQ(expectedName, std::string(item->keyName));
    const char *bytes = reinterpret_cast<const char *>(item);
    EXPECT_TRUE(AllZero(item->keyName + expectedName.size(),
                        sizeof item->keyName - expectedName.size()));
    EXPECT_TRUE(AllZero(bytes + offsetof(KeyItem, soundOnPath), sizeof(KeyItem) - offsetof(KeyItem, soundOnPath)))
        << "paths, hasIcon and hasOffState stay zero";
    FreeAll(list);
}

// The modifier keys themselves: the right-hand keys carry RightSideKey.
TEST(AddKeyDialog, CapturesModifierKeysThemselves)
{
    struct Case {
        const char *label;
        WORD vk;
        bool extended;
        int keyCode;
        ModifierFlags modifiers;
        bool nameIsKeyName; // else the expected text is given
        const char *text;
    };
    const Case cases[] = {
        {"right Shift (held, then repeated)", VK_RSHIFT, true, VK_SHIFT, 0x60, false, "Right Shift"},
        {"left Shift (held, then repeated)", VK_LSHIFT, false, VK_SHIFT, 0x04, false, "Shift"},
        {"right Ctrl (held, then repeated)", VK_RCONTROL, true, VK_CONTROL, 0x40, true, nullptr},
        {"left Ctrl (held, then repeated)", VK_LCONTROL, false, VK_CONTROL, 0x00, true, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        PointerArray<KeyItem> list;
        std::string expected;
        RunResult r = RunDialog(&list, [&](Driver &d) {
            d.Key(c.vk, true, c.extended);
            SeenKey repeat = d.Key(c.vk, true, c.extended);
            d.Key(c.vk, false, c.extended);
            expected = c.nameIsKeyName ? NameOf(repeat.lParam) : c.text;
            EXPECT_EQ(expected, d.FieldText());
            d.Command(IDC_ADD_KEY_OK);
        });
        EXPECT_TRUE(r.shown);
        ASSERT_EQ(1u, list.Count());
        EXPECT_EQ(c.keyCode, list.At(0)->keyCode);
        EXPECT_EQ(c.modifiers, list.At(0)->modifiers);
        EXPECT_EQ(expected, std::string(list.At(0)->keyName));
        FreeAll(list);
    }
}

// A duplicate (same code, same flags) is refused with the warning and the
// dialog stays open; the same key with other flags is added.
TEST(AddKeyDialog, RefusesDuplicatesAndKeepsTheDialogOpen)
{
    PointerArray<KeyItem> list;
    list.Append(NewItem('A', TV_MOD_CTRL, "some other name"));
    std::string warning;
    RunResult r = RunDialog(&list, [&](Driver &d) {
        d.Key(VK_LCONTROL, true);
        d.Tap('A');
        d.Key(VK_LCONTROL, false);
        d.Command(IDC_ADD_KEY_OK);
        HWND box = d.WaitForWarning();
        ASSERT_NE(nullptr, box) << "no warning for a duplicate key";
        char text[256] = {0};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        warning = text;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        // As a user would click into it again: where the activation goes when
        // a message box closes is the platform's matter.
        EXPECT_TRUE(d.WaitUntilFocused()) << "the dialog takes the focus back";
        EXPECT_TRUE(IsWindow(d.Dialog())) << "the dialog stays open after the warning";
        EXPECT_NE("", d.FieldText()) << "the capture stays in the field";

        SeenKey a = d.Tap('A');
        EXPECT_EQ(NameOf(a.lParam), d.FieldText());
        d.Command(IDC_ADD_KEY_OK);
    });
    EXPECT_EQ("This key already exists within your collection.", warning);
    EXPECT_TRUE(r.shown);
    ASSERT_EQ(2u, list.Count());
    EXPECT_EQ('A', list.At(1)->keyCode);
    EXPECT_EQ(0, list.At(1)->modifiers);
    FreeAll(list);
}

// Every way out other than a successful OK adds nothing and returns false.
TEST(AddKeyDialog, CancelEscapeAndCloseBoxAddNothing)
{
    const struct {
        const char *label;
        std::function<void(Driver &)> close;
    } cases[] = {
        {"Cancel button", [](Driver &d) { d.Command(IDC_ADD_KEY_CANCEL); }},
        {"Escape key",
         [](Driver &d) {
             d.Key(VK_ESCAPE, true);
         }},
        {"close box", [](Driver &d) { PostMessageA(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        PointerArray<KeyItem> list;
        RunResult r = RunDialog(&list, [&](Driver &d) {
            // OK with an empty field does nothing and the dialog stays.
            d.Command(IDC_ADD_KEY_OK);
            d.Tap('Q');
            EXPECT_NE("", d.FieldText());
            c.close(d);
            EXPECT_TRUE(WaitFor([&] { return d.Dialog() == nullptr; })) << "dialog did not close";
        });
        EXPECT_FALSE(r.shown);
        EXPECT_EQ(0u, list.Count());
        FreeAll(list);
    }
    // Escape closed its dialog while still down: let it go.
    ReleaseKey(VK_ESCAPE);
}

// Tab, Enter and Escape keep their dialog meaning; with the focus away from
// the field nothing captures.
TEST(AddKeyDialog, CapturesOnlyWhileTheFieldHasTheFocus)
{
    PointerArray<KeyItem> list;
    RunResult r = RunDialog(&list, [&](Driver &d) {
        d.Tap(VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return d.Focus() != d.Item(IDC_CAPTURE_EDIT); }))
            << "Tab moves the focus away";
        EXPECT_EQ("", d.FieldText()) << "Tab never captures";
        d.Tap('B');
        EXPECT_EQ("", d.FieldText()) << "no capture while the field lacks the focus";

        PostMessageA(d.Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(d.Item(IDC_CAPTURE_EDIT)), TRUE);
        EXPECT_TRUE(WaitFor([&] { return d.Focus() == d.Item(IDC_CAPTURE_EDIT); }));
        SeenKey b = d.Tap('B');
        EXPECT_EQ(NameOf(b.lParam), d.FieldText());

        // Enter presses OK: the capture is committed, nothing of Enter is.
        d.Key(VK_RETURN, true);
    });
    EXPECT_TRUE(r.shown) << "Enter presses the default button";
    ASSERT_EQ(1u, list.Count());
    EXPECT_EQ('B', list.At(0)->keyCode);
    FreeAll(list);
    ReleaseKey(VK_RETURN);
}

// Lock keys capture on press or release alike, but only while their lock is
// on as the key state reports it.
TEST(AddKeyDialog, LockKeysCaptureOnlyWhileTheLockIsOn)
{
    for (WORD vk : {static_cast<WORD>(VK_CAPITAL), static_cast<WORD>(VK_NUMLOCK)}) {
        SCOPED_TRACE(vk == VK_CAPITAL ? "Caps Lock" : "Num Lock");
        PointerArray<KeyItem> list;
        int captures = 0;
        RunResult r = RunDialog(&list, [&](Driver &d) {
            std::string expected = d.FieldText();
            // Two full cycles leave the lock as it was.
            for (int i = 0; i < 4; ++i) {
                SeenKey seen = d.Key(vk, i % 2 == 0);
                if (seen.lockOn) {
                    expected = NameOf(seen.lParam);
                    ++captures;
                }
                EXPECT_EQ(expected, d.FieldText()) << "event " << i;
            }
            d.Command(IDC_ADD_KEY_CANCEL);
        });
        EXPECT_EQ(2, captures) << "the lock is on for exactly half of two press/release cycles";
        EXPECT_FALSE(r.shown);
    }
}
