// companion_hook.h - whether the 64-bit companion's hook is installed, as the
// hook libraries' own registry of installed hooks says.
#ifndef TOLVAR_TESTS_SUPPORT_COMPANION_HOOK_H
#define TOLVAR_TESTS_SUPPORT_COMPANION_HOOK_H

#include <windows.h>

namespace tolvar_test {

// The process that installed the 64-bit hook, or 0 while none is installed.
DWORD CompanionHookProcess();

} // namespace tolvar_test

#endif
