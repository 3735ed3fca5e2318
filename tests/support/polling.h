// polling.h - waiting for a condition that another thread or process makes
// true, with a time limit, so that a test never hangs on a deadlock.
#ifndef TOLVAR_TESTS_SUPPORT_POLLING_H
#define TOLVAR_TESTS_SUPPORT_POLLING_H

#include <windows.h>

#include <functional>

namespace tolvar_test {

// Checks the condition every pollMs until it holds (true) or ms have passed
// (false).
bool WaitFor(const std::function<bool()> &condition, DWORD ms, DWORD pollMs = 5);

} // namespace tolvar_test

#endif
