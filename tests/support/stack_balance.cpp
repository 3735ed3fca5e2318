// stack_balance.cpp - see stack_balance.h. The call is made from a small
// assembly routine so that the compiler's own stack handling cannot hide an
// unbalanced callee.
#include "support/stack_balance.h"

extern "C" uint32_t TolvarTestCallMeasuring(const void *function, uint32_t thisValue,
                                            const uint32_t *args, uint32_t count,
                                            int32_t *espShift);

// cdecl: (function, thisValue, args, count, espShift) -> EAX of the callee.
__asm__(".text\n"
        ".globl _TolvarTestCallMeasuring\n"
        "_TolvarTestCallMeasuring:\n"
        "    pushl %ebp\n"
        "    movl %esp, %ebp\n"
        "    pushl %ebx\n"
        "    pushl %esi\n"
        "    pushl %edi\n"
        "    movl 16(%ebp), %edi\n" // args
        "    movl 20(%ebp), %ebx\n" // count
        "    movl %esp, %esi\n"     // ESP before the arguments
        "1:  testl %ebx, %ebx\n"
        "    jz 2f\n"
        "    decl %ebx\n"
        "    pushl (%edi,%ebx,4)\n"
        "    jmp 1b\n"
        "2:  movl 12(%ebp), %ecx\n" // thisValue
        "    call *8(%ebp)\n"        // function (EBP-relative: ESP has moved)
        "    movl %esp, %edx\n"
        "    subl %esi, %edx\n"
        "    movl %esi, %esp\n"     // rebalance whatever the callee did
        "    movl 24(%ebp), %ecx\n"
        "    movl %edx, (%ecx)\n"
        "    popl %edi\n"
        "    popl %esi\n"
        "    popl %ebx\n"
        "    popl %ebp\n"
        "    ret\n");

namespace tolvar_test {

StackCall CallMeasuringStack(const void *function, uint32_t thisValue, const uint32_t *args,
                             uint32_t count)
{
    StackCall call;
    call.result = TolvarTestCallMeasuring(function, thisValue, args, count, &call.espShift);
    return call;
}

} // namespace tolvar_test
