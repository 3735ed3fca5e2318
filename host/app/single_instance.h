/*
 * single_instance.h - one Tolvar per user session. A second start hands
 * over to the first (which opens its options or its Display window) and
 * exits; --exit asks the
 * running one to end.
 *
 * Both say at once when the running one cannot be reached: when the system
 * refuses the message (that Tolvar runs as administrator and is of a
 * version that does not let such messages through, see message_filter.h),
 * or when the session's instance object is held but no Tolvar window
 * exists to ask.
 */
#ifndef TOLVAR_HOST_SINGLE_INSTANCE_H
#define TOLVAR_HOST_SINGLE_INSTANCE_H

#include <windows.h>

#include <string>

namespace tolvar {

// Exit codes of a second start and of --exit.
enum : int {
    kExitDone = 0,         // handed over; or no Tolvar runs (any more)
    kExitNotEnded = 1,     // asked to exit, it did not end in time
    kExitUnreachable = 3,  // it runs, but cannot be asked
};

enum class InstanceClaim {
    kClaimed,  // this is the one instance (also when the system cannot tell)
    kRunning,  // another Tolvar holds the claim
    kForeign,  // another user or a program with lower rights made the object
};

// Claims the session's single instance. *held receives the object to keep
// open while the program runs (null when the system gave none).
InstanceClaim ClaimSingleInstance(HANDLE *held);

// What a second start or --exit achieved: the exit code, and what to tell
// the user (empty when all went as asked).
struct InstanceAnswer {
    int exitCode;
    std::string message;
};

// Tells the running instance to open its options, or its Display window.
InstanceAnswer HandOverToRunningInstance(bool display);
// Asks the running instance to exit and waits up to timeoutMs for it.
InstanceAnswer AskRunningInstanceToExit(DWORD timeoutMs);

// The text for kForeign.
extern const char kForeignInstanceText[];

}  // namespace tolvar

#endif  // TOLVAR_HOST_SINGLE_INSTANCE_H
