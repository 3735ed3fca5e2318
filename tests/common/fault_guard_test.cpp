// Both fault guards against real faults: null writes, a division by zero,
// faults deep in a call chain and inside a window procedure.
#include "common/fault_guard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

void *ChainHead()
{
    void *head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void *StackPointer()
{
    void *sp;
    __asm__ __volatile__("movl %%esp, %0" : "=r"(sp));
    return sp;
}

// A page that every access faults on. Address 0 would do on Windows, but an
// emulated process may have memory there.
volatile int *NoAccessPage()
{
    static void *page = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    return static_cast<volatile int *>(page);
}

__attribute__((noinline)) void WriteToNoAccessPage(void *)
{
    *NoAccessPage() = 1;
}

__attribute__((noinline)) void DivideByZero(void *context)
{
    volatile int zero = *static_cast<int *>(context);
    volatile int result = 10 / zero;
    (void)result;
}

__attribute__((noinline)) void Recurse(int depth)
{
    volatile char pad[64];
    pad[0] = static_cast<char>(depth);
    if (depth == 0)
        WriteToNoAccessPage(nullptr);
    else
        Recurse(depth - 1);
    (void)pad[0];
}

void DoNothing(void *context) { ++*static_cast<int *>(context); }

struct Trace {
    std::vector<std::string> events;
};

void RecordBody(void *context) { static_cast<Trace *>(context)->events.push_back("body"); }

void RecordOuterRelease(void *context) { static_cast<Trace *>(context)->events.push_back("outer"); }
void RecordInnerRelease(void *context) { static_cast<Trace *>(context)->events.push_back("inner"); }

void InnerFaultingBody(void *context)
{
    static_cast<Trace *>(context)->events.push_back("body");
    WriteToNoAccessPage(nullptr);
    static_cast<Trace *>(context)->events.push_back("after fault");
}

void NestedUnwindBodies(void *context)
{
    RunWithUnwindAction(InnerFaultingBody, RecordInnerRelease, context);
}

void TwoUnwindActions(void *context)
{
    RunWithUnwindAction(NestedUnwindBodies, RecordOuterRelease, context);
}

} // namespace

TEST(FaultGuard, NormalReturnRunsBodyOnceAndRestoresTheChain)
{
    void *before = ChainHead();
    int calls = 0;
    EXPECT_EQ(1, RunCatchingFaults(DoNothing, &calls));
    EXPECT_EQ(1, calls);
    EXPECT_EQ(before, ChainHead());

    // The body runs once; the unwind action only runs for a fault.
    Trace trace;
    RunWithUnwindAction(RecordBody, RecordOuterRelease, &trace);
    const std::vector<std::string> expected = {"body"};
    EXPECT_EQ(expected, trace.events);
    EXPECT_EQ(before, ChainHead());
}

TEST(FaultGuard, CatchesFaultsOfEveryKindAndDepth)
{
    struct Case {
        const char *label;
        GuardedBody body;
    };
    static int zero = 0;
    const Case cases[] = {
        {"write to a no-access page", WriteToNoAccessPage},
        {"division by zero", DivideByZero},
        {"fault 50 calls deep", [](void *) { Recurse(50); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        void *chain = ChainHead();
        // Values live across the call must survive the resume.
        volatile int a = 11, b = 22, d = 33;
        EXPECT_EQ(0, RunCatchingFaults(c.body, &zero));
        EXPECT_EQ(chain, ChainHead());
        EXPECT_EQ(66, a + b + d);
    }
}

TEST(FaultGuard, RepeatedCatchesLeaveTheStackWhereItWas)
{
    void *sp = StackPointer();
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(0, RunCatchingFaults(WriteToNoAccessPage, nullptr)) << "round " << i;
    EXPECT_EQ(sp, StackPointer());
}

TEST(FaultGuard, UnwindActionsRunInnermostFirstWhileTheFaultPropagates)
{
    Trace trace;
    EXPECT_EQ(0, RunCatchingFaults(TwoUnwindActions, &trace));
    const std::vector<std::string> expected = {"body", "inner", "outer"};
    EXPECT_EQ(expected, trace.events);
}

TEST(FaultGuard, InnerCatchKeepsOuterUnwindActionFromRunning)
{
    Trace trace;
    RunWithUnwindAction(
        [](void *context) {
            EXPECT_EQ(0, RunCatchingFaults(WriteToNoAccessPage, nullptr));
            static_cast<Trace *>(context)->events.push_back("resumed");
        },
        RecordOuterRelease, &trace);
    const std::vector<std::string> expected = {"resumed"};
    EXPECT_EQ(expected, trace.events);
}

namespace {
LRESULT CALLBACK FaultingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 1)
        WriteToNoAccessPage(nullptr);
    if (message == WM_USER + 2)
        return 42;
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

TEST(FaultGuard, CatchesAFaultRaisedInsideAWindowProcedure)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FaultingWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "FaultGuardTestWindow";
    ASSERT_NE(0, RegisterClassA(&wc));
    HWND window = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, window);

    void *chain = ChainHead();
    EXPECT_EQ(0, RunCatchingFaults([](void *w) { SendMessageA(static_cast<HWND>(w), WM_USER + 1, 0, 0); },
                                   window));
    EXPECT_EQ(chain, ChainHead());
    // The window and the thread's message handling still work afterwards.
    EXPECT_EQ(42, SendMessageA(window, WM_USER + 2, 0, 0));
    DestroyWindow(window);
}

TEST(FaultGuard, EachThreadHasItsOwnChain)
{
    struct Result {
        int caught = -1;
        void *chainBefore = nullptr;
        void *chainAfter = nullptr;
    } result;
    struct Worker {
        static DWORD WINAPI Run(void *context)
        {
            Result *r = static_cast<Result *>(context);
            r->chainBefore = ChainHead();
            r->caught = RunCatchingFaults(WriteToNoAccessPage, nullptr);
            r->chainAfter = ChainHead();
            return 0;
        }
    };
    HANDLE thread = CreateThread(nullptr, 0, Worker::Run, &result, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 120000));
    CloseHandle(thread);
    EXPECT_EQ(0, result.caught);
    EXPECT_EQ(result.chainBefore, result.chainAfter);
}
