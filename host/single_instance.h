/*
 * single_instance.h - one Tolvar per user session. A second start hands
 * over to the first (which opens its options) and exits; --exit asks the
 * running one to end.
 */
#ifndef TOLVAR_HOST_SINGLE_INSTANCE_H
#define TOLVAR_HOST_SINGLE_INSTANCE_H

#include <windows.h>

namespace tolvar {

// The session-wide claim, or null when another instance holds it.
HANDLE ClaimSingleInstance();
// Tells the running instance to open its options; says so to the user when
// it cannot be reached.
void HandOverToRunningInstance();
// Asks the running instance to exit and waits for it: 0 when none runs any
// more, 1 when it did not end within timeoutMs.
int AskRunningInstanceToExit(DWORD timeoutMs);

}  // namespace tolvar

#endif  // TOLVAR_HOST_SINGLE_INSTANCE_H
