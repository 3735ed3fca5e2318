// emulation.cpp - reads the run's marker for an emulated processor.
#include "emulation.h"

#include <windows.h>

namespace tolvar_test {

bool RunningUnderEmulation()
{
    char value[8] = {};
    DWORD n = GetEnvironmentVariableA("TOLVAR_EMULATED", value, sizeof value);
    return n > 0 && n < sizeof value && value[0] == '1';
}

} // namespace tolvar_test
