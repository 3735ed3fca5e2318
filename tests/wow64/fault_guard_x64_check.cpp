// fault_guard_x64_check.exe - the 64-bit unwind guard against real faults.
// Prints one line per check and exits with the number of failed checks; the
// 64-bit world's test runs it.
#include "common/fault_guard.h"

#include <windows.h>

#include <stdio.h>

namespace {

volatile int *NoAccessPage()
{
    static void *page = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    return static_cast<volatile int *>(page);
}

__attribute__((noinline)) void Fault(void *) { *NoAccessPage() = 1; }
__attribute__((noinline)) void Deeper(void *c) { Fault(c); }
void NoFault(void *c) { ++*static_cast<int *>(c); }
void CountUnwind(void *c) { *static_cast<int *>(c) += 100; }

struct Call {
    GuardedBody body;
    int counter;
};

void Guarded(void *context)
{
    Call *call = static_cast<Call *>(context);
    RunWithUnwindAction(call->body, CountUnwind, &call->counter);
}

}  // namespace

// Calls body(context) and returns 1, or 0 when a fault raised inside was
// handled here, after the frames above were unwound (the system's own
// handler for scope tables, as a compiler's __except uses it).
extern "C" int RunCatching(GuardedBody body, void *context);
__asm__(
    "    .text\n"
    "    .globl RunCatching\n"
    "    .def RunCatching; .scl 2; .type 32; .endef\n"
    "    .seh_proc RunCatching\n"
    "RunCatching:\n"
    "    subq $40, %rsp\n"
    "    .seh_stackalloc 40\n"
    "    .seh_endprologue\n"
    "    .seh_handler __C_specific_handler, @except\n"
    "    .seh_handlerdata\n"
    "    .long 1\n"
    "    .rva .Lcatch_begin, .Lcatch_end\n"
    "    .long 1\n"  // EXCEPTION_EXECUTE_HANDLER for every exception
    "    .rva .Lcatch_handler\n"
    "    .text\n"
    ".Lcatch_begin:\n"
    "    movq %rcx, %rax\n"
    "    movq %rdx, %rcx\n"
    "    callq *%rax\n"
    "    nop\n"
    ".Lcatch_end:\n"
    "    movl $1, %eax\n"
    "    addq $40, %rsp\n"
    "    ret\n"
    ".Lcatch_handler:\n"
    "    xorl %eax, %eax\n"
    "    addq $40, %rsp\n"
    "    ret\n"
    "    .seh_endproc\n");

int main()
{
    int failed = 0;
    auto check = [&](bool ok, const char *what) {
        printf("%s %s\n", ok ? "ok" : "FAILED", what);
        failed += ok ? 0 : 1;
    };
    {
        Call call{NoFault, 0};
        const int returned = RunCatching(Guarded, &call);
        check(returned == 1 && call.counter == 1, "a body without fault runs once and no action runs");
    }
    {
        Call call{Fault, 0};
        const int returned = RunCatching(Guarded, &call);
        check(returned == 0 && call.counter == 100, "a fault unwinding through runs the action once");
    }
    {
        Call call{Deeper, 0};
        const int returned = RunCatching(Guarded, &call);
        check(returned == 0 && call.counter == 100, "so does a fault two calls deeper");
    }
    {
        Call call{Fault, 0};
        RunCatching(Guarded, &call);
        call.body = NoFault;
        call.counter = 0;
        check(RunCatching(Guarded, &call) == 1 && call.counter == 1, "the guard works again afterwards");
    }
    fflush(stdout);
    return failed;
}
