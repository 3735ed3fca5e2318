// stack_balance.h - calls a function through a raw address and reports how
// far the stack pointer moved, so a test can prove that a callee removes its
// own arguments (WINAPI, __thiscall) and leaves the caller's stack balanced.
#ifndef TOLVAR_TESTS_SUPPORT_STACK_BALANCE_H
#define TOLVAR_TESTS_SUPPORT_STACK_BALANCE_H

#include <cstdint>

namespace tolvar_test {

struct StackCall {
    uint32_t result; // EAX after the call
    int32_t espShift; // ESP after the call minus ESP before pushing: 0 = balanced
};

// Pushes args[count - 1] .. args[0] (so args[0] is the first argument), loads
// ECX with thisValue (ignored by WINAPI callees), calls function.
StackCall CallMeasuringStack(const void *function, uint32_t thisValue, const uint32_t *args,
                             uint32_t count);

} // namespace tolvar_test

#endif // TOLVAR_TESTS_SUPPORT_STACK_BALANCE_H
