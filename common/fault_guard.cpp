// fault_guard.cpp - structured-fault guards on the x86 exception registration
// chain (fs:[0]), for a compiler that has no __try/__except/__finally.
//
// Each guard pushes one registration record on the current thread's chain
// for the duration of one call:
//   - the catching guard's handler, when a fault is dispatched to it, first
//     unwinds every frame above it (RtlUnwind runs their unwind actions and
//     unlinks them), then jumps back into RunCatchingFaults, exactly as a
//     compiler-generated __except block would resume;
//   - the unwind guard's handler never handles anything; when an outer
//     handler unwinds through it, it runs the release action once.
#include "common/fault_guard.h"

#include <windows.h>

namespace {

const DWORD kUnwindFlags = 0x2 /* EXCEPTION_UNWINDING */ | 0x4 /* EXCEPTION_EXIT_UNWIND */;
const int kContinueSearch = 1; // ExceptionContinueSearch

typedef int(__cdecl *RawHandler)(EXCEPTION_RECORD *, void *, CONTEXT *, void *);

// The layout the system walks: the first two words are the record proper.
struct GuardFrame {
    GuardFrame *next;
    RawHandler handler;
    void *resume[5]; // __builtin_setjmp buffer (catching guard)
    GuardedBody onUnwind; // unwind guard
    void *context;
    int unwound;
};

inline GuardFrame *ChainHead()
{
    GuardFrame *head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

inline void SetChainHead(GuardFrame *head)
{
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(head) : "memory");
}

// RtlUnwind up to (not including) target. The system's RtlUnwind does not
// promise to keep EBX, ESI and EDI, so they are saved around the call.
void GlobalUnwind(GuardFrame *target, EXCEPTION_RECORD *record)
{
    __asm__ __volatile__(
        "pushl %%ebx\n\t"
        "pushl %%esi\n\t"
        "pushl %%edi\n\t"
        "pushl %%ebp\n\t"
        "pushl $0\n\t"   // return value
        "pushl %1\n\t"   // exception record
        "pushl $1f\n\t"  // target ip
        "pushl %0\n\t"   // target frame
        "call _RtlUnwind@16\n"
        "1:\n\t"
        "popl %%ebp\n\t"
        "popl %%edi\n\t"
        "popl %%esi\n\t"
        "popl %%ebx\n\t"
        :
        : "r"(target), "r"(record)
        : "eax", "ecx", "edx", "memory", "cc");
}

extern "C" int __cdecl CatchingHandler(EXCEPTION_RECORD *record, void *establisher,
                                       CONTEXT *, void *)
{
    if (record->ExceptionFlags & kUnwindFlags)
        return kContinueSearch; // an outer handler is unwinding past us
    GuardFrame *volatile frame = static_cast<GuardFrame *>(establisher);
    GlobalUnwind(frame, record);
    __builtin_longjmp(frame->resume, 1);
}

extern "C" int __cdecl UnwindActionHandler(EXCEPTION_RECORD *record, void *establisher,
                                           CONTEXT *, void *)
{
    if (record->ExceptionFlags & kUnwindFlags) {
        GuardFrame *frame = static_cast<GuardFrame *>(establisher);
        if (!frame->unwound) {
            frame->unwound = 1;
            frame->onUnwind(frame->context);
        }
    }
    return kContinueSearch;
}

} // namespace

extern "C" __attribute__((noinline)) int RunCatchingFaults(GuardedBody body, void *context)
{
    GuardFrame frame = {};
    GuardFrame *volatile self = &frame;
    self->next = ChainHead();
    self->handler = CatchingHandler;
    if (__builtin_setjmp(self->resume) == 0) {
        SetChainHead(self);
        body(context);
        SetChainHead(self->next);
        return 1;
    }
    // Resumed from CatchingHandler: the frames above ours are unwound and
    // ours is the head of the chain again.
    SetChainHead(self->next);
    return 0;
}

extern "C" __attribute__((noinline)) void RunWithUnwindAction(GuardedBody body,
                                                              GuardedBody onUnwind,
                                                              void *context)
{
    GuardFrame frame = {};
    GuardFrame *volatile self = &frame;
    self->next = ChainHead();
    self->handler = UnwindActionHandler;
    self->onUnwind = onUnwind;
    self->context = context;
    SetChainHead(self);
    body(context);
    SetChainHead(self->next);
}
