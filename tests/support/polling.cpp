// polling.cpp - time-limited waiting for a condition.
#include "polling.h"

namespace tolvar_test {

bool WaitFor(const std::function<bool()> &condition, DWORD ms, DWORD pollMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > ms)
            return false;
        Sleep(pollMs);
    }
    return true;
}

} // namespace tolvar_test
