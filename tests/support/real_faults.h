// real_faults.h - whether this run can raise real processor faults.
//
// Where Wine itself runs under user-mode emulation, the emulator ends the
// process at the first access violation instead of handing it to Wine, so
// a test that provokes one cannot observe anything. scripts/wine-exec.sh
// sets TOLVAR_NO_REAL_FAULTS=1 there; such tests are then reported as
// skipped, never as passed.
#pragma once

#include <gtest/gtest.h>

namespace tolvar_test {

bool RealFaultsDelivered();

} // namespace tolvar_test

#define TOLVAR_SKIP_WITHOUT_REAL_FAULTS()                                              \
    do {                                                                               \
        if (!tolvar_test::RealFaultsDelivered())                                       \
            GTEST_SKIP() << "real faults end the process under this emulator";         \
    } while (0)
