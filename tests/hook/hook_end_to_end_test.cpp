// TolvarEx.dll end to end, driven the way an indicator host drives it: the
// test creates the four named objects, loads the library at run time, calls
// SetHook, answers reports on a thread of its own, and types with SendInput
// into a window of its own and into a second process (hook_key_target.exe).
//
// One process holds the whole world (a program start is slow under
// emulation): the environment below sets it up once, and KillHook runs on
// every way out.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "tolvar/tolvar_host.h"
#include "support/emulation.h"
#include "support/polling.h"

namespace {

const DWORD kWaitMs = 90000;       // generous: code runs emulated here
const DWORD kPageBytes = 4096;
const DWORD kMappingBytes = 2 * kPageBytes;  // two pages: room for 1021 entries
const WORD kSentinel = VK_F24;     // watched last in most tables: "all processed"
const WORD kProbe = 'Z';           // watched by no table: "keys reach this window now"

constexpr uint8_t C = TV_MOD_CTRL, A = TV_MOD_ALT, S = TV_MOD_SHIFT, RC = TV_MOD_RIGHT_CTRL,
                  RA = TV_MOD_RIGHT_ALT, RS = TV_MOD_RIGHT_SHIFT, RSK = TV_MOD_RIGHT_SIDE_KEY,
                  ANY = TV_MOD_ANY_MODIFIERS;

// ---- the channel, as a host creates it -----------------------------------

struct Channel {
    HANDLE mapping, mutex, matchEvent, readyEvent;
    KeyEventChannel *view;
};
Channel g_channel;

KeyTableEntry *Table()
{
    return reinterpret_cast<KeyTableEntry *>(reinterpret_cast<char *>(g_channel.view) +
                                             TV_KEY_TABLE_OFFSET);
}

struct Entry {
    int32_t keyCode;
    uint8_t modifiers;
    uint8_t spare;
};

// Writes the entries (plus the sentinel unless told not to) under the mutex,
// with their number as entryCount unless the host claims another count.
const int32_t kTrueCount = -0x7FFFFFF0;
void SetTable(const std::vector<Entry> &entries, bool sentinel = true, int32_t count = kTrueCount)
{
    WaitForSingleObject(g_channel.mutex, INFINITE);
    KeyTableEntry *t = Table();
    int32_t n = 0;
    for (const Entry &e : entries) {
        t[n].keyCode = e.keyCode;
        t[n].modifiers = e.modifiers;
        memset(t[n].spare, e.spare, 3);
        ++n;
    }
    if (sentinel) {
        t[n].keyCode = kSentinel;
        t[n].modifiers = ANY;
        ++n;
    }
    g_channel.view->entryCount = count == kTrueCount ? n : count;
    ReleaseMutex(g_channel.mutex);
}

// ---- the library -----------------------------------------------------------

HMODULE g_dll;
TvHookProc g_setHook, g_killHook;
uintptr_t g_dllBegin, g_dllEnd;

DWORD g_loadErrorNoObjects, g_loadErrorPartial;
bool g_loadedNoObjects = true, g_loadedPartial = true;

void KillHookIfSet()
{
    if (g_killHook && g_channel.view && g_channel.view->hookHandle)
        g_killHook();
}

// ---- faults raised inside the library, recorded as they happen -----------
// Wine swallows a fault raised inside a hook procedure and still delivers the
// key, so surviving proves nothing: every exception at an address inside
// the library is recorded here.

const LONG kMaxFaults = 64;
DWORD g_faultCodes[kMaxFaults];
volatile LONG g_faultCount;

LONG CALLBACK RecordFault(EXCEPTION_POINTERS *info)
{
    const uintptr_t at = reinterpret_cast<uintptr_t>(info->ExceptionRecord->ExceptionAddress);
    if (at >= g_dllBegin && at < g_dllEnd) {
        const LONG slot = InterlockedIncrement(&g_faultCount) - 1;
        if (slot < kMaxFaults)
            g_faultCodes[slot] = info->ExceptionRecord->ExceptionCode;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// ---- the report listener (the host's answering thread) ---------------------

struct Rec {
    int32_t keyCode;
    uint8_t modifiers;
    int32_t state;
};
bool operator==(const Rec &a, const Rec &b)
{
    return a.keyCode == b.keyCode && a.modifiers == b.modifiers && a.state == b.state;
}
std::ostream &operator<<(std::ostream &os, const Rec &r)
{
    return os << "{0x" << std::hex << r.keyCode << ", 0x" << int(r.modifiers) << std::dec << ", "
              << r.state << "}";
}

CRITICAL_SECTION g_lock;
std::vector<Rec> g_recs;
volatile LONG g_holdReports;     // the host answers nothing while this is set
volatile LONG g_unstableFields;  // fields changed while a report was pending
volatile LONG g_overlaps;        // a match signal while one was pending
HANDLE g_listenerStop, g_listener;

DWORD WINAPI ListenerMain(void *)
{
    HANDLE waits[2] = {g_listenerStop, g_channel.matchEvent};
    for (;;) {
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return 0;
        const volatile KeyEventChannel *b = g_channel.view;
        const Rec rec = {b->matchedKeyCode, b->matchedModifiers, b->matchedState};
        while (g_holdReports) {
            if (WaitForSingleObject(g_channel.matchEvent, 25) == WAIT_OBJECT_0)
                InterlockedIncrement(&g_overlaps);
            const Rec now = {b->matchedKeyCode, b->matchedModifiers, b->matchedState};
            if (!(now == rec))
                InterlockedIncrement(&g_unstableFields);
        }
        EnterCriticalSection(&g_lock);
        g_recs.push_back(rec);
        LeaveCriticalSection(&g_lock);
        SetEvent(g_channel.readyEvent);
    }
}

void ClearReports()
{
    EnterCriticalSection(&g_lock);
    g_recs.clear();
    LeaveCriticalSection(&g_lock);
}

std::vector<Rec> Reports()
{
    EnterCriticalSection(&g_lock);
    std::vector<Rec> copy = g_recs;
    LeaveCriticalSection(&g_lock);
    return copy;
}

// Waits until pred() holds or the time limit passes.
bool WaitFor(const std::function<bool()> &pred, DWORD ms = kWaitMs)
{
    return tolvar_test::WaitFor(pred, ms, 20);
}

// ---- windows that receive keys ---------------------------------------------

const UINT kMsgToggleState = WM_APP + 7;  // wParam: vk; returns GetKeyState(vk) & 1

struct Target {
    const char *name;
    HWND window;
    HWND edit;
};
Target g_own = {"own window", nullptr, nullptr};
Target g_other = {"second process", nullptr, nullptr};
PROCESS_INFORMATION g_otherProcess;
HANDLE g_uiThread, g_uiReady;

LRESULT CALLBACK OwnWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETFOCUS:
        SetFocus(GetDlgItem(window, 1));
        return 0;
    case kMsgToggleState:
        return GetKeyState(static_cast<int>(wParam)) & 1;
    default:
        return DefWindowProcA(window, msg, wParam, lParam);
    }
}

// The test's own window lives on a thread that only pumps messages, so that
// the test thread can drive and wait while the hook runs there.
DWORD WINAPI UiThreadMain(void *)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OwnWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "TolvarHookTestWindow";
    RegisterClassA(&wc);
    g_own.window = CreateWindowExA(0, wc.lpszClassName, "hook test", WS_OVERLAPPEDWINDOW, 100, 100,
                                   300, 80, nullptr, nullptr, wc.hInstance, nullptr);
    g_own.edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 4, 4, 280, 24,
                                 g_own.window, reinterpret_cast<HMENU>(1), wc.hInstance, nullptr);
    ShowWindow(g_own.window, SW_SHOWNORMAL);
    SetEvent(g_uiReady);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // Alt with a letter makes the edit enter the window menu's keyboard
        // mode, in which Wine syncs its key state with the X server's and
        // releases the Alt key that the test still holds: not dispatched.
        if (msg.message == WM_SYSCHAR)
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

std::string EditText(const Target &t)
{
    char buf[256] = {};
    SendMessageTimeoutA(t.edit, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf),
                        SMTO_ABORTIFHUNG, kWaitMs, nullptr);
    return buf;
}

void ClearEdit(const Target &t)
{
    SendMessageTimeoutA(t.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), SMTO_ABORTIFHUNG,
                        kWaitMs, nullptr);
}

// ---- typing ----------------------------------------------------------------

struct Stroke {
    WORD vk;
    bool up;
};
const bool DOWN = false, UP = true;

bool IsExtendedKey(WORD vk)
{
    return vk == VK_RCONTROL || vk == VK_RMENU || vk == VK_RSHIFT || vk == VK_NUMLOCK;
}

void Send(WORD vk, bool up)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &in, sizeof in);
}

// Gives the target the foreground and its edit the focus, then types a probe
// letter (watched by no table) and waits until that edit shows it: only from
// then on are key events certain to reach the target's thread. Without the
// probe (while a report is held, the probe could not get through) events may
// still go to the window that had the focus before.
bool Focus(const Target &t, bool probe = true)
{
    const bool focused = WaitFor([&] {
        if (GetForegroundWindow() != t.window)
            SetForegroundWindow(t.window);
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        DWORD thread = GetWindowThreadProcessId(t.window, nullptr);
        return GetForegroundWindow() == t.window && GetGUIThreadInfo(thread, &info) &&
               info.hwndFocus == t.edit;
    });
    if (!focused || !probe)
        return focused;
    ClearEdit(t);
    Send(kProbe, DOWN);
    Send(kProbe, UP);
    // Letters of earlier keys still on their way come before it.
    const bool routed = WaitFor([&] {
        const std::string text = EditText(t);
        return !text.empty() && text.back() == 'z';
    });
    ClearEdit(t);
    return routed;
}

int CountSentinels(const std::vector<Rec> &recs)
{
    int n = 0;
    for (const Rec &r : recs)
        n += r.keyCode == kSentinel;
    return n;
}

// Types the strokes into the target and returns the reports they caused (the
// table must end with the sentinel). After every stroke the sentinel key is
// tapped and its two reports awaited: only then has the stroke been through
// the hook, and only then does the next stroke go out, so each hook call sees
// exactly the keys held before its own event, however busy the machine.
std::vector<Rec> TypeAndCollect(const Target &t, const std::vector<Stroke> &strokes)
{
    // The focus probe also lets every key event sent earlier through.
    EXPECT_TRUE(Focus(t)) << t.name << " did not get the focus";
    ClearReports();
    int sentinels = 0;
    auto tapSentinel = [&] {
        Send(kSentinel, DOWN);
        Send(kSentinel, UP);
        sentinels += 2;
        return WaitFor([&] { return CountSentinels(Reports()) == sentinels; });
    };
    bool through = strokes.empty() ? tapSentinel() : true;
    for (size_t i = 0; through && i < strokes.size(); ++i) {
        Send(strokes[i].vk, strokes[i].up);
        through = tapSentinel();
    }
    EXPECT_TRUE(through) << t.name << ": the sentinel key was not reported";
    std::vector<Rec> out;
    for (const Rec &r : Reports())
        if (r.keyCode != kSentinel)
            out.push_back(r);
    return out;
}

// Types text into the target's edit (lower-case letters) and waits until the
// edit shows it: proof that every event went through the hook and on.
bool TypeText(const Target &t, const char *text)
{
    ClearEdit(t);
    if (!Focus(t)) {
        ADD_FAILURE() << t.name << " did not get the focus (foreground " << GetForegroundWindow()
                      << ", window " << t.window << ")";
        return false;
    }
    for (const char *p = text; *p; ++p) {
        Send(static_cast<WORD>(*p - 'a' + 'A'), DOWN);
        Send(static_cast<WORD>(*p - 'a' + 'A'), UP);
    }
    if (WaitFor([&] { return EditText(t) == text; }))
        return true;
    ADD_FAILURE() << t.name << "'s edit shows \"" << EditText(t) << "\" instead of \"" << text
                  << "\" (own edit \"" << EditText(g_own) << "\", other edit \""
                  << EditText(g_other) << "\", foreground " << GetForegroundWindow() << ")";
    return false;
}

// ---- the world -------------------------------------------------------------

HMODULE LoadHookLibrary()
{
    return LoadLibraryA("TolvarEx.dll");
}

class HookWorld : public testing::Environment {
public:
    void SetUp() override
    {
        InitializeCriticalSection(&g_lock);
        AddVectoredExceptionHandler(1, RecordFault);

        // Before any object exists, the library refuses to load.
        SetLastError(0);
        HMODULE early = LoadHookLibrary();
        g_loadedNoObjects = early != nullptr;
        g_loadErrorNoObjects = GetLastError();
        if (early)
            FreeLibrary(early);

        // With the mapping, the match event and the mutex but no ready event,
        // still refused (and nothing leaks into the later successful load).
        HANDLE m = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMappingBytes,
                                      TV_CHANNEL_MAPPING_NAME);
        HANDLE e = CreateEventA(nullptr, FALSE, FALSE, TV_MATCH_EVENT_NAME);
        HANDLE x = CreateMutexA(nullptr, FALSE, TV_CHANNEL_MUTEX_NAME);
        SetLastError(0);
        HMODULE partial = LoadHookLibrary();
        g_loadedPartial = partial != nullptr;
        g_loadErrorPartial = GetLastError();
        if (partial)
            FreeLibrary(partial);
        CloseHandle(m);
        CloseHandle(e);
        CloseHandle(x);

        // The host's duties, in order: objects, table, then the library.
        g_channel.mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                               kMappingBytes, TV_CHANNEL_MAPPING_NAME);
        ASSERT_TRUE(g_channel.mapping);
        g_channel.view = static_cast<KeyEventChannel *>(
            MapViewOfFile(g_channel.mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        ASSERT_TRUE(g_channel.view);
        g_channel.mutex = CreateMutexA(nullptr, FALSE, TV_CHANNEL_MUTEX_NAME);
        g_channel.matchEvent = CreateEventA(nullptr, FALSE, FALSE, TV_MATCH_EVENT_NAME);
        g_channel.readyEvent = CreateEventA(nullptr, FALSE, FALSE, TV_READY_EVENT_NAME);
        ASSERT_TRUE(g_channel.mutex && g_channel.matchEvent && g_channel.readyEvent);
        SetTable({});

        g_listenerStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_listener = CreateThread(nullptr, 0, ListenerMain, nullptr, 0, nullptr);
        g_uiReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_uiThread = CreateThread(nullptr, 0, UiThreadMain, nullptr, 0, nullptr);
        // The first window of a fresh Wine session waits for its desktop
        // process, which takes minutes under emulation on a busy machine.
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_uiReady, 10 * kWaitMs));

        g_dll = LoadHookLibrary();
        ASSERT_TRUE(g_dll) << "load failed with the channel in place, error " << GetLastError();
        const IMAGE_DOS_HEADER *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(g_dll);
        const IMAGE_NT_HEADERS *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(
            reinterpret_cast<const char *>(g_dll) + dos->e_lfanew);
        g_dllBegin = reinterpret_cast<uintptr_t>(g_dll);
        g_dllEnd = g_dllBegin + nt->OptionalHeader.SizeOfImage;
        g_setHook = reinterpret_cast<TvHookProc>(GetProcAddress(g_dll, TV_SET_HOOK_EXPORT));
        g_killHook = reinterpret_cast<TvHookProc>(GetProcAddress(g_dll, TV_KILL_HOOK_EXPORT));
        ASSERT_TRUE(g_setHook && g_killHook);
        ASSERT_EQ(nullptr, g_channel.view->hookHandle);
        g_setHook();

        // The second process, with a window that keeps its edit focused.
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        char cmd[] = "hook_key_target.exe";
        ASSERT_TRUE(CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                   &g_otherProcess));
        // Its window takes the foreground when it appears; wait until it has
        // settled, so that it cannot take it back from a test that has just
        // focused another window.
        WaitForInputIdle(g_otherProcess.hProcess, kWaitMs);
        // The window exists a moment before its edit does.
        ASSERT_TRUE(WaitFor([] {
            g_other.window = FindWindowA("TolvarKeyTarget", nullptr);
            g_other.edit = g_other.window ? GetDlgItem(g_other.window, 1) : nullptr;
            return g_other.edit != nullptr;
        })) << "the second process shows no window with an edit";
    }

    void TearDown() override
    {
        KillHookIfSet();
        if (g_otherProcess.hProcess) {
            if (g_other.window)
                PostMessageA(g_other.window, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(g_otherProcess.hProcess, kWaitMs) != WAIT_OBJECT_0)
                TerminateProcess(g_otherProcess.hProcess, 1);
            CloseHandle(g_otherProcess.hProcess);
            CloseHandle(g_otherProcess.hThread);
        }
        if (g_own.window)
            PostMessageA(g_own.window, WM_CLOSE, 0, 0);
        if (g_uiThread) {
            PostThreadMessageA(GetThreadId(g_uiThread), WM_QUIT, 0, 0);
            WaitForSingleObject(g_uiThread, kWaitMs);
        }
        if (g_listener) {
            SetEvent(g_listenerStop);
            WaitForSingleObject(g_listener, kWaitMs);
        }
        if (g_dll)
            FreeLibrary(g_dll);
    }
};

testing::Environment *const g_world = testing::AddGlobalTestEnvironment(new HookWorld);

// Progress shows at once when the output goes to a file (runs are long here).
const int g_unbuffered = setvbuf(stdout, nullptr, _IONBF, 0);

// Every test starts with a host that answers at once, no recorded faults,
// and no key event of an earlier test still on its way: a sentinel typed into
// each target arrives only after everything queued there before it.
class HookEndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_dll && g_other.edit) << "the test world is not set up";
        g_holdReports = 0;
        if (!g_channel.view->hookHandle)  // an earlier test failed while it was off
            g_setHook();
        SetTable({});
        for (const Target *t : {&g_own, &g_other})
            ASSERT_TRUE(TypeAndCollect(*t, {}).empty()) << t->name << ": unexpected reports";
        ClearReports();
        g_faultCount = 0;
        g_overlaps = 0;
        g_unstableFields = 0;
    }
    void TearDown() override
    {
        EXPECT_EQ(0, g_faultCount) << "exception raised inside TolvarEx.dll, first code 0x"
                                   << std::hex << g_faultCodes[0];
    }
};

// ---- the tests -------------------------------------------------------------

TEST_F(HookEndToEnd, LoadIsRefusedUntilTheChannelExists)
{
    EXPECT_FALSE(g_loadedNoObjects);
    EXPECT_EQ(static_cast<DWORD>(ERROR_DLL_INIT_FAILED), g_loadErrorNoObjects);
    EXPECT_FALSE(g_loadedPartial) << "loaded although the ready event was missing";
}

TEST_F(HookEndToEnd, KillHookClearsTheHandleAndStopsReports)
{
    SetTable({{'A', ANY, 0}}, false);
    ASSERT_NE(nullptr, g_channel.view->hookHandle);
    g_killHook();
    EXPECT_EQ(nullptr, g_channel.view->hookHandle);
    g_killHook();  // a second call finds nothing to remove
    EXPECT_EQ(nullptr, g_channel.view->hookHandle);
    ClearReports();
    // Keys reach the edit only after the hook chain has run for them, so
    // any report would be recorded by now.
    EXPECT_TRUE(TypeText(g_own, "aa"));
    EXPECT_TRUE(Reports().empty());

    g_setHook();
    EXPECT_NE(nullptr, g_channel.view->hookHandle);
    SetTable({{'A', ANY, 0}});
    const std::vector<Rec> expected = {{'A', ANY, 1}, {'A', ANY, 0}};
    EXPECT_EQ(expected, TypeAndCollect(g_own, {{'A', DOWN}, {'A', UP}}));
}

struct MatchCase {
    const char *label;
    std::vector<Entry> table;
    std::vector<Stroke> strokes;
    std::vector<Rec> expected;
};

const std::vector<MatchCase> &MatchCases()
{
    static const std::vector<MatchCase> cases = {
        {"press, auto-repeat, release", {{'K', 0, 0}},
         {{'K', DOWN}, {'K', DOWN}, {'K', DOWN}, {'K', UP}},
         {{'K', 0, 1}, {'K', 0, 1}, {'K', 0, 1}, {'K', 0, 0}}},
        {"unwatched key", {{'E', 0, 0}}, {{'R', DOWN}, {'R', UP}}, {}},
        {"key code compared whole", {{0x10045, ANY, 0}}, {{'E', DOWN}, {'E', UP}}, {}},
        {"spare bytes ignored", {{'E', 0, 0xFF}}, {{'E', DOWN}, {'E', UP}}, {{'E', 0, 1}, {'E', 0, 0}}},
        {"left ctrl + A", {{'A', C, 0}},
         {{VK_LCONTROL, DOWN}, {'A', DOWN}, {'A', UP}, {VK_LCONTROL, UP}},
         {{'A', C, 1}, {'A', C, 0}}},
        {"right ctrl is not left ctrl", {{'A', C, 0}},
         {{VK_RCONTROL, DOWN}, {'A', DOWN}, {'A', UP}, {VK_RCONTROL, UP}}, {}},
        {"right ctrl + A", {{'A', RC, 0}},
         {{VK_RCONTROL, DOWN}, {'A', DOWN}, {'A', UP}, {VK_RCONTROL, UP}},
         {{'A', RC, 1}, {'A', RC, 0}}},
        {"left shift + A", {{'A', RS, 0}, {'A', S, 0}},
         {{VK_LSHIFT, DOWN}, {'A', DOWN}, {'A', UP}, {VK_LSHIFT, UP}},
         {{'A', S, 1}, {'A', S, 0}}},
        {"right shift + A", {{'A', S, 0}, {'A', RS, 0}},
         {{VK_RSHIFT, DOWN}, {'A', DOWN}, {'A', UP}, {VK_RSHIFT, UP}},
         {{'A', RS, 1}, {'A', RS, 0}}},
        {"left alt + A", {{'A', A, 0}}, {{VK_LMENU, DOWN}, {'A', DOWN}, {'A', UP}, {VK_LMENU, UP}},
         {{'A', A, 1}, {'A', A, 0}}},
        {"right alt + A", {{'A', A, 0}, {'A', RA, 0}},
         {{VK_RMENU, DOWN}, {'A', DOWN}, {'A', UP}, {VK_RMENU, UP}},
         {{'A', RA, 1}, {'A', RA, 0}}},
        {"ctrl + shift + A", {{'A', C, 0}, {'A', C | S, 0}},
         {{VK_LCONTROL, DOWN}, {VK_LSHIFT, DOWN}, {'A', DOWN}, {'A', UP}, {VK_LSHIFT, UP},
          {VK_LCONTROL, UP}},
         {{'A', C | S, 1}, {'A', C | S, 0}}},
        {"left and right ctrl keys themselves", {{VK_CONTROL, RSK, 0}, {VK_CONTROL, 0, 0}},
         {{VK_LCONTROL, DOWN}, {VK_LCONTROL, UP}, {VK_RCONTROL, DOWN}, {VK_RCONTROL, UP}},
         {{VK_CONTROL, 0, 1}, {VK_CONTROL, 0, 0}, {VK_CONTROL, RSK, 1}, {VK_CONTROL, RSK, 0}}},
        {"any-modifiers entry shadows later ones", {{'Q', ANY, 0}, {'Q', C, 0}, {'Q', 0, 0}},
         {{VK_LCONTROL, DOWN}, {'Q', DOWN}, {'Q', UP}, {VK_LCONTROL, UP}, {'Q', DOWN}, {'Q', UP}},
         {{'Q', ANY, 1}, {'Q', ANY, 0}, {'Q', ANY, 1}, {'Q', ANY, 0}}},
        {"duplicate entries report once", {{'W', C, 0x11}, {'W', C, 0x22}},
         {{VK_LCONTROL, DOWN}, {'W', DOWN}, {'W', UP}, {VK_LCONTROL, UP}},
         {{'W', C, 1}, {'W', C, 0}}},
    };
    return cases;
}

void RunMatchCases(const Target &t)
{
    for (const MatchCase &c : MatchCases()) {
        SetTable(c.table);
        EXPECT_EQ(c.expected, TypeAndCollect(t, c.strokes)) << t.name << ": " << c.label;
    }
}

TEST_F(HookEndToEnd, ReportsKeysTypedIntoItsOwnWindow)
{
    RunMatchCases(g_own);
}

TEST_F(HookEndToEnd, ReportsKeysTypedIntoAnotherProcess)
{
    RunMatchCases(g_other);
}

TEST_F(HookEndToEnd, LockKeysReportTheirToggleState)
{
    SetTable({{VK_CAPITAL, ANY, 0}, {VK_NUMLOCK, ANY, 0}, {VK_SCROLL, ANY, 0}});
    for (WORD vk : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) {
        const std::vector<Rec> got =
            TypeAndCollect(g_own, {{vk, DOWN}, {vk, UP}, {vk, DOWN}, {vk, UP}});
        ASSERT_EQ(4u, got.size()) << "key 0x" << std::hex << vk;
        for (const Rec &r : got) {
            EXPECT_EQ(vk, r.keyCode);
            EXPECT_EQ(ANY, r.modifiers);
        }
        // Two taps: the toggle state alternates between the presses and
        // between the releases, and the last report is the state now held.
        EXPECT_NE(got[0].state, got[2].state) << "key 0x" << std::hex << vk;
        EXPECT_NE(got[1].state, got[3].state) << "key 0x" << std::hex << vk;
        const LRESULT now = SendMessageA(g_own.window, kMsgToggleState, vk, 0);
        EXPECT_EQ(now, got[3].state) << "key 0x" << std::hex << vk;
    }
}

TEST_F(HookEndToEnd, AReportWritesOnlyItsOwnFields)
{
    SetTable({{'F', C | RSK, 0x77}});
    WaitForSingleObject(g_channel.mutex, INFINITE);
    unsigned char *bytes = reinterpret_cast<unsigned char *>(g_channel.view);
    memset(bytes + 4, 0xEE, 12);
    bytes[9] = 0xA5;
    bytes[10] = 0x5A;
    bytes[11] = 0xC3;
    ReleaseMutex(g_channel.mutex);

    const std::vector<Rec> got =
        TypeAndCollect(g_own, {{VK_LCONTROL, DOWN}, {'F', DOWN}, {'F', UP}, {VK_LCONTROL, UP}});
    const std::vector<Rec> expected = {{'F', C | RSK, 1}, {'F', C | RSK, 0}};
    EXPECT_EQ(expected, got);
    // Every report has written its fields by now; the host's bytes stayed.
    EXPECT_EQ(0xA5, bytes[9]);
    EXPECT_EQ(0x5A, bytes[10]);
    EXPECT_EQ(0xC3, bytes[11]);
    EXPECT_NE(0xEEu, bytes[8]);
    EXPECT_EQ(0x77, Table()[0].spare[0]);
}

TEST_F(HookEndToEnd, EmptyOrNegativeCountReportsNothingAndKeysPassOn)
{
    for (int32_t count : {0, -1, INT32_MIN}) {
        SetTable({{'X', ANY, 0}, {'Y', ANY, 0}}, false, count);
        ClearReports();
        EXPECT_TRUE(TypeText(g_own, "xyx")) << "count " << count;
        EXPECT_TRUE(TypeText(g_other, "yx")) << "count " << count;
        EXPECT_TRUE(Reports().empty()) << "count " << count;
    }
}

TEST_F(HookEndToEnd, WatchedKeysStillReachTheFocusedEdit)
{
    SetTable({{'H', ANY, 0}, {'I', ANY, 0}}, false);
    for (const Target *t : {&g_own, &g_other}) {
        ClearReports();
        EXPECT_TRUE(TypeText(*t, "hihi")) << t->name << " got \"" << EditText(*t) << "\"";
        EXPECT_TRUE(WaitFor([] { return Reports().size() == 8u; })) << t->name;
    }
}

TEST_F(HookEndToEnd, CountBeyondTheMappingIsBoundedByTheView)
{
    // A two-page mapping holds 1021 whole entries; the host claims a million.
    std::vector<Entry> entries(1020, Entry{'N', C, 0});
    entries.push_back({'M', ANY, 0});  // the last entry that fits
    SetTable(entries, false, 1000000);
    for (const Target *t : {&g_own, &g_other}) {
        ClearReports();
        EXPECT_TRUE(TypeText(*t, "mn")) << t->name;
        EXPECT_TRUE(WaitFor([] { return Reports().size() == 2u; })) << t->name;
        const std::vector<Rec> expected = {{'M', ANY, 1}, {'M', ANY, 0}};
        EXPECT_EQ(expected, Reports()) << t->name;
    }
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(g_otherProcess.hProcess, &code));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), code) << "the second process died";
}

TEST_F(HookEndToEnd, TwoProcessesReportOneAtATimeToASlowHost)
{
    SetTable({{'K', ANY, 0}, {'L', ANY, 0}});
    g_holdReports = 1;
    ClearReports();
    // A key into our own window: its hook call reports and then waits for
    // the host, which holds its answer, while holding the mutex.
    ASSERT_TRUE(Focus(g_own));
    Send('K', DOWN);
    ASSERT_TRUE(WaitFor([] {
        if (WaitForSingleObject(g_channel.mutex, 0) == WAIT_TIMEOUT)
            return true;
        ReleaseMutex(g_channel.mutex);
        return false;
    })) << "the report never took the mutex";
    // Meanwhile the second process gets keys too; its hook must wait for the
    // mutex. Were it not to wait, it would signal and overwrite the fields
    // while the host still holds the first report, which the listener counts.
    // The host keeps holding for a while after the keys went out, so that the
    // second process has its chance to misbehave; the outcome never depends
    // on how long that is, nor on which process the keys reach.
    ASSERT_TRUE(Focus(g_other, false));
    Send('L', DOWN);
    Send('L', UP);
    const DWORD heldUntil = GetTickCount() + 2000;
    WaitFor([&] { return static_cast<LONG>(GetTickCount() - heldUntil) >= 0; });
    g_holdReports = 0;
    ASSERT_TRUE(WaitFor([] { return Reports().size() == 3u; }));
    Send('K', UP);  // the own window lost focus; this goes to the second process
    ASSERT_TRUE(WaitFor([] { return Reports().size() == 4u; }));
    const std::vector<Rec> expected = {{'K', ANY, 1}, {'L', ANY, 1}, {'L', ANY, 0}, {'K', ANY, 0}};
    EXPECT_EQ(expected, Reports());
    EXPECT_EQ(0, g_overlaps) << "a report began while another was pending";
    EXPECT_EQ(0, g_unstableFields) << "report fields changed before the host answered";
}

// The module's own view of the mapping in this process (not the test's).
void *FindLibraryView()
{
    MEMORY_BASIC_INFORMATION info;
    for (char *p = nullptr; VirtualQuery(p, &info, sizeof info) == sizeof info;
         p = static_cast<char *>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_MAPPED &&
            info.BaseAddress != g_channel.view && info.RegionSize == kMappingBytes &&
            info.Protect == PAGE_READWRITE &&
            memcmp(info.BaseAddress, g_channel.view, kMappingBytes) == 0)
            return info.BaseAddress;
        if (reinterpret_cast<uintptr_t>(p) >= 0x7FFE0000u)
            break;
    }
    return nullptr;
}

TEST_F(HookEndToEnd, AFaultInsideTheHookReleasesTheMutex)
{
    // G with Ctrl first: the look without the mutex stops there, G typed
    // alone does not match it, and the scan under the mutex goes on into the
    // second page, where G matches any modifiers. Between them a pattern no
    // other mapping of this process holds.
    std::vector<Entry> entries = {{'G', C, 0}};
    for (int i = 1; i < 600; ++i)
        entries.push_back({0x1000 + i * 7919, static_cast<uint8_t>(i), static_cast<uint8_t>(i * 13)});
    entries.push_back({'G', ANY, 0});
    SetTable(entries);
    char *libraryView = static_cast<char *>(FindLibraryView());
    ASSERT_NE(nullptr, libraryView) << "the library's view of the channel was not found";

    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(libraryView + kPageBytes, kPageBytes, PAGE_NOACCESS, &old));
    // G (watched) and H go to our own edit while the second page of the
    // library's view cannot be read: G's press and release fault in the scan
    // under the mutex, H's press in the look before it. The edit showing
    // "gh" proves that all three have been through the hook; H's release may
    // come later.
    ClearEdit(g_own);
    ASSERT_TRUE(Focus(g_own));
    for (WORD vk : {'G', 'H'}) {
        Send(vk, DOWN);
        Send(vk, UP);
    }
    const bool delivered = WaitFor([] { return EditText(g_own) == "gh"; });
    const LONG faults = g_faultCount;
    // Another thread must get the mutex: the unwind released it.
    const DWORD wait = WaitForSingleObject(g_channel.mutex, kWaitMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
        ReleaseMutex(g_channel.mutex);
    VirtualProtect(libraryView + kPageBytes, kPageBytes, old, &old);

    // The channel works again; the sentinel also shows that every key sent
    // while the view was unreadable has gone through.
    const std::vector<Rec> expected = {{'G', ANY, 1}, {'G', ANY, 0}};
    EXPECT_EQ(expected, TypeAndCollect(g_own, {{'G', DOWN}, {'G', UP}}));

    EXPECT_TRUE(delivered) << "the keys typed while the view was unreadable did not arrive";
    EXPECT_GE(faults, 3) << "the hook calls for G's press and release and H's press did not "
                            "all fault inside the library";
    if (!tolvar_test::RunningUnderEmulation()) {
        EXPECT_EQ(EXCEPTION_ACCESS_VIOLATION, g_faultCodes[0]);
    }
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), wait) << "the mutex was not released";
    g_faultCount = 0;  // the faults this test caused on purpose
}

}  // namespace
