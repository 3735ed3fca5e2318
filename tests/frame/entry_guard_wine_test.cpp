// The dialog entries of Tolvar.dll as a host calls them: one instance of each
// dialog at a time (also when the host calls again from inside the dialog's
// modal loop, or from another thread), independent guards for the options
// dialog and the About window, the About window's two roles, and a host
// callback that faults.
//
// The dialogs are driven from thread timers, which their modal loops
// dispatch: a timer finds the open dialog by its caption and posts the
// command that closes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <tolvar/tolvar_host.h>

#include "options/resources/resource_ids.h"
#include "support/import_patch.h"
#include "support/timer_watch.h"
#include "tolvar_library.h"

namespace {

const OptionsEntryTable *g_table = nullptr;
HWND g_parent = nullptr;

const char kOptionsCaption[] = "Tolvar Options";
const char kAboutCaption[] = "Tolvar About";

struct DialogSearch {
    const char *caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context)
{
    DialogSearch *search = reinterpret_cast<DialogSearch *>(context);
    char className[64] = "", text[128] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, text, sizeof text);
    if (std::string(className) == "#32770" && std::string(text) == search->caption)
        search->found.push_back(window);
    return TRUE;
}

// Dialog windows (#32770) of this thread with the given caption.
std::vector<HWND> ThreadDialogs(const char *caption)
{
    DialogSearch search{caption, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// What the timers and callbacks saw during one scenario.
struct Record {
    int outerLoads = 0;
    int nestedLoads = 0;
    int otherThreadLoads = 0;
    size_t optionsSeen = 0;      // options dialogs open when the closing timer ran
    size_t aboutSeen = 0;        // About windows open when its closing timer ran
    size_t aboutSeenAfterTimer = 0; // About windows open once the About box's timer had run
    bool forcedClose = false;    // the safety timer had to close a dialog
    bool nestedAbout = false;    // ShowOptions opens About from its load callback
    bool nestedAboutInAbout = false;
};
Record g_record;

void CloseDialogs(const char *caption, WPARAM command)
{
    for (HWND dialog : ThreadDialogs(caption))
        PostMessageA(dialog, WM_COMMAND, command, 0);
}

void CALLBACK CloseOptionsTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_record.optionsSeen = ThreadDialogs(kOptionsCaption).size();
    CloseDialogs(kOptionsCaption, IDCANCEL);
}

void CALLBACK CloseAboutTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_record.aboutSeen = ThreadDialogs(kAboutCaption).size();
    if (g_record.nestedAboutInAbout) {
        // A second About call from inside the About box's modal loop.
        g_table->ShowAbout(g_parent, 0);
        g_record.aboutSeen = std::max(g_record.aboutSeen, ThreadDialogs(kAboutCaption).size());
    }
    CloseDialogs(kAboutCaption, IDCANCEL);
}

// Checks, on the dialog's own thread, whether the About box's 7-second timer
// has fired; from the first tick after it the box must still be open.
tolvar_test::TimerWatch *g_aboutTimer = nullptr;

void CALLBACK AfterAboutTimerCheck(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!g_aboutTimer || g_aboutTimer->Count() == 0)
        return;
    KillTimer(nullptr, id);
    g_record.aboutSeenAfterTimer = ThreadDialogs(kAboutCaption).size();
    CloseDialogs(kAboutCaption, IDCANCEL);
}

void CALLBACK SafetyTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_record.forcedClose = true;
    CloseDialogs(kAboutCaption, IDCANCEL);
    CloseDialogs(kOptionsCaption, IDCANCEL);
}

int32_t WINAPI NestedLoad(KeyCollection *, void *)
{
    ++g_record.nestedLoads;
    return 0;
}

int32_t WINAPI OtherThreadLoad(KeyCollection *, void *)
{
    ++g_record.otherThreadLoads;
    return 0;
}

DWORD WINAPI CallShowOptionsFromAnotherThread(LPVOID)
{
    g_table->ShowOptions(nullptr, nullptr, OtherThreadLoad, nullptr);
    return 0;
}

// The host's load callback, called while the options dialog initialises
// (inside the entry, with the guard raised).
int32_t WINAPI OuterLoad(KeyCollection *, void *)
{
    ++g_record.outerLoads;
    // Again from inside the modal loop, and from another thread.
    g_table->ShowOptions(g_parent, nullptr, NestedLoad, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, CallShowOptionsFromAnotherThread, nullptr, 0, nullptr);
    if (thread) {
        WaitForSingleObject(thread, 120000);
        CloseHandle(thread);
    }
    if (g_record.nestedAbout) {
        // The About window has a guard of its own and opens meanwhile.
        SetTimer(nullptr, 0, 0, CloseAboutTimer);
        g_table->ShowAbout(g_parent, 0);
    }
    SetTimer(nullptr, 0, 0, CloseOptionsTimer);
    return 0; // a failed load: the dialog opens empty
}

UINT_PTR g_faultCloseTimer = 0;

// A page that every access faults on (address 0 may be mapped in an
// emulated process).
volatile int *NoAccessPage()
{
    static void *page = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    return static_cast<volatile int *>(page);
}

HWND g_faultingDialog = nullptr;
volatile bool g_afterFault = false;

// Stands in for the library's DialogBoxParamA: the dialog comes up and its
// owner is disabled, as in a modal loop, and then the loop faults.
INT_PTR WINAPI FaultingDialogBox(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC procedure,
                                 LPARAM parameter)
{
    if (owner)
        EnableWindow(owner, FALSE);
    g_faultingDialog = CreateDialogParamA(instance, name, owner, procedure, parameter);
    *NoAccessPage() = 1;
    g_afterFault = true;
    return 0;
}

// Faults through a null pointer. A close timer is set first: where the
// platform itself swallows faults at its window-procedure boundary, the
// dialog goes on running and the timer ends it; where the fault reaches the
// entry's guard, the dialog is gone before the timer could fire.
int32_t WINAPI FaultingLoad(KeyCollection *collection, void *)
{
    ++g_record.outerLoads;
    g_faultCloseTimer = SetTimer(nullptr, 0, 0, CloseOptionsTimer);
    int *volatile nowhere = nullptr;
    *nowhere = static_cast<int>(reinterpret_cast<intptr_t>(collection));
    return 1;
}

// A load that fails and closes the dialog as soon as its loop runs.
int32_t WINAPI ClosingLoad(KeyCollection *, void *)
{
    ++g_record.outerLoads;
    SetTimer(nullptr, 0, 0, CloseOptionsTimer);
    return 0;
}

class Entries : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_parent = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    static void TearDownTestSuite()
    {
        DestroyWindow(g_parent);
        g_parent = nullptr;
    }
    void SetUp() override
    {
        // Loaded again if the unload test ran before.
        g_table = TolvarTable();
        ASSERT_NE(g_table, nullptr) << "Tolvar.dll loads and returns its table";
        ASSERT_NE(g_parent, nullptr);
        g_record = Record();
        safety_ = SetTimer(nullptr, 0, 90000, SafetyTimer);
    }
    void TearDown() override
    {
        KillTimer(nullptr, safety_);
        EXPECT_FALSE(g_record.forcedClose) << "a dialog had to be closed by the safety timer";
        EXPECT_TRUE(ThreadDialogs(kOptionsCaption).empty());
        EXPECT_TRUE(ThreadDialogs(kAboutCaption).empty());
        EXPECT_TRUE(IsWindowEnabled(g_parent)) << "the host window takes input again";
    }
    UINT_PTR safety_ = 0;
};

TEST_F(Entries, SecondShowOptionsWhileOpenOpensNothing)
{
    g_table->ShowOptions(g_parent, nullptr, OuterLoad, nullptr);
    EXPECT_EQ(g_record.outerLoads, 1);
    EXPECT_EQ(g_record.nestedLoads, 0) << "no second dialog from inside the modal loop";
    EXPECT_EQ(g_record.otherThreadLoads, 0) << "no second dialog from another thread";
    EXPECT_EQ(g_record.optionsSeen, 1u);

    // The guard is down again: the next call opens the dialog.
    g_table->ShowOptions(g_parent, nullptr, OuterLoad, nullptr);
    EXPECT_EQ(g_record.outerLoads, 2);
}

TEST_F(Entries, AboutOpensWhileTheOptionsDialogIsOpen)
{
    g_record.nestedAbout = true;
    g_table->ShowOptions(g_parent, nullptr, OuterLoad, nullptr);
    EXPECT_EQ(g_record.outerLoads, 1);
    EXPECT_EQ(g_record.aboutSeen, 1u);
    EXPECT_EQ(g_record.optionsSeen, 1u);
}

TEST_F(Entries, SecondShowAboutWhileOpenOpensNothing)
{
    g_record.nestedAboutInAbout = true;
    SetTimer(nullptr, 0, 0, CloseAboutTimer);
    g_table->ShowAbout(g_parent, 0);
    EXPECT_EQ(g_record.aboutSeen, 1u);
}

TEST_F(Entries, AboutRolesSplashClosesItselfOthersStay)
{
    DWORD start = GetTickCount();
    g_table->ShowAbout(g_parent, 1);
    DWORD splashMs = GetTickCount() - start;
    EXPECT_FALSE(g_record.forcedClose) << "role 1 closes by itself";
    EXPECT_GE(splashMs, 6500u);

    g_record = Record();
    tolvar_test::TimerWatch timer(ABOUT_SPLASH_TIMER_ID);
    ASSERT_TRUE(timer.Installed());
    g_aboutTimer = &timer;
    SetTimer(nullptr, 0, 20, AfterAboutTimerCheck);
    g_table->ShowAbout(g_parent, 2);
    g_aboutTimer = nullptr;
    EXPECT_EQ(g_record.aboutSeenAfterTimer, 1u) << "role 2 is the About box, still open after its timer";
}

// A fault while an entry runs returns control to the host: no dialog is left
// behind, the host window takes input again, and the entry opens its dialog
// again afterwards. A fault in a host callback may be swallowed by the
// platform at its window-procedure boundary before the entry's guard sees
// it; the other rows make sure the guard's own recovery runs: the library's
// DialogBoxParamA is replaced by one that creates the dialog, disables its
// owner as a modal loop does, and then faults.
TEST_F(Entries, AFaultReturnsToTheHostWithNothingLeftBehind)
{
    struct Case {
        const char *label;
        bool throughGuard;
        const char *caption;
        void (*show)();
        void (*showAgain)();
    } cases[] = {
        {"a fault in the host's load callback", false, kOptionsCaption,
         [] { g_table->ShowOptions(g_parent, nullptr, FaultingLoad, nullptr); },
         [] { g_table->ShowOptions(g_parent, nullptr, ClosingLoad, nullptr); }},
        {"a fault that reaches the options entry", true, kOptionsCaption,
         [] { g_table->ShowOptions(g_parent, nullptr, nullptr, nullptr); },
         [] { g_table->ShowOptions(g_parent, nullptr, ClosingLoad, nullptr); }},
        {"a fault that reaches the About entry", true, kAboutCaption,
         [] { g_table->ShowAbout(g_parent, 0); },
         [] {
             SetTimer(nullptr, 0, 0, CloseAboutTimer);
             g_table->ShowAbout(g_parent, 0);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        g_record = Record();
        g_faultingDialog = nullptr;
        g_afterFault = false;
        void *real = nullptr;
        if (c.throughGuard) {
            real = tolvar_test::PatchImport(TolvarLibrary(), "user32.dll", "DialogBoxParamA",
                                            reinterpret_cast<void *>(FaultingDialogBox));
            ASSERT_NE(nullptr, real);
        }
        c.show();
        if (c.throughGuard)
            tolvar_test::PatchImport(TolvarLibrary(), "user32.dll", "DialogBoxParamA", real);
        KillTimer(nullptr, g_faultCloseTimer);
        g_faultCloseTimer = 0;
        EXPECT_TRUE(ThreadDialogs(c.caption).empty()) << "no orphaned dialog";
        EXPECT_TRUE(IsWindowEnabled(g_parent));
        if (c.throughGuard) {
            EXPECT_NE(nullptr, g_faultingDialog) << "the dialog was created before the fault";
            EXPECT_FALSE(IsWindow(g_faultingDialog)) << "the entry destroyed it";
            EXPECT_FALSE(g_afterFault) << "nothing ran past the fault";
        } else {
            EXPECT_EQ(g_record.outerLoads, 1);
            std::printf("  fault %s\n", g_record.optionsSeen
                                             ? "swallowed by the platform; the dialog ran until closed"
                                             : "caught by the entry's guard; the dialog was removed");
        }

        // The guard was lowered: the dialog opens again.
        g_record = Record();
        c.showAgain();
        EXPECT_EQ(1u, c.caption == kAboutCaption ? g_record.aboutSeen : g_record.optionsSeen)
            << "the entry opens its dialog again";
    }
}

// The library unloads cleanly with its dialog objects alive, and a fresh load
// that never opened a dialog unloads too.
TEST_F(Entries, LibraryUnloadsWithAndWithoutDialogObjects)
{
    // Both dialog objects exist once their dialogs have been shown.
    g_table->ShowOptions(g_parent, nullptr, ClosingLoad, nullptr);
    SetTimer(nullptr, 0, 0, CloseAboutTimer);
    g_table->ShowAbout(g_parent, 0);
    ASSERT_EQ(1u, g_record.optionsSeen);
    ASSERT_EQ(1u, g_record.aboutSeen);

    EXPECT_TRUE(UnloadTolvarLibrary());
    g_table = nullptr;
    HMODULE fresh = LoadLibraryA("Tolvar.dll");
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(GetProcAddress(fresh, "InitDLL"), nullptr);
    EXPECT_TRUE(FreeLibrary(fresh)) << "nothing to destroy";
    EXPECT_EQ(GetModuleHandleA("Tolvar.dll"), nullptr) << "really unloaded";
}

} // namespace
