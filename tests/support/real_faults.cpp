// real_faults.cpp - reads the run's marker for emulators that cannot deliver
// faults to Wine.
#include "real_faults.h"

#include <windows.h>

namespace tolvar_test {

bool RealFaultsDelivered()
{
    char value[8] = {};
    DWORD n = GetEnvironmentVariableA("TOLVAR_NO_REAL_FAULTS", value, sizeof value);
    return !(n > 0 && n < sizeof value && value[0] == '1');
}

} // namespace tolvar_test
