// fault_guard_x64.cpp - the unwind guard for 64-bit Windows.
//
// On x64, frames are found through the unwind tables of each function, not
// through a chain on the stack. RunWithUnwindAction is written in assembly
// so that its table names a language-specific handler of our own for the
// unwind phase: when an outer handler unwinds through the call, the system
// calls UnwindActionHandler with the function's frame, where the release
// action and its context were saved. The handler never handles anything.
#include "common/fault_guard.h"

#include <windows.h>

// The frame of RunWithUnwindAction after its prologue (rsp): 32 bytes of
// home space for the call it makes, then the action and its context.
struct UnwindGuardFrame {
    void *home[4];
    GuardedBody onUnwind;
    void *context;
};

extern "C" EXCEPTION_DISPOSITION UnwindActionHandler(EXCEPTION_RECORD *record, void *establisher,
                                                     CONTEXT *, void *)
{
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) {
        UnwindGuardFrame *frame = static_cast<UnwindGuardFrame *>(establisher);
        GuardedBody action = frame->onUnwind;
        if (action) {
            frame->onUnwind = nullptr;  // once, whatever the system does next
            action(frame->context);
        }
    }
    return ExceptionContinueSearch;
}

// RunWithUnwindAction(body: rcx, onUnwind: rdx, context: r8)
__asm__(
    "    .text\n"
    "    .globl RunWithUnwindAction\n"
    "    .def RunWithUnwindAction; .scl 2; .type 32; .endef\n"
    "    .seh_proc RunWithUnwindAction\n"
    "RunWithUnwindAction:\n"
    "    subq $56, %rsp\n"
    "    .seh_stackalloc 56\n"
    "    .seh_endprologue\n"
    "    .seh_handler UnwindActionHandler, @unwind\n"
    "    movq %rdx, 32(%rsp)\n"
    "    movq %r8, 40(%rsp)\n"
    "    movq %rcx, %rax\n"
    "    movq %r8, %rcx\n"
    "    callq *%rax\n"
    "    nop\n"
    "    addq $56, %rsp\n"
    "    ret\n"
    "    .seh_endproc\n");
