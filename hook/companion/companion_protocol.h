/*
 * companion_protocol.h - how a 32-bit host starts TolvarHook64.exe, the
 * 64-bit companion that installs TolvarEx64.dll's keyboard hook, and what its
 * exit code says. Platform-free, so that host and companion share one
 * spelling and the rules are tested natively.
 *
 * The host, once its channel exists, runs
 *     TolvarHook64.exe --host <host process id>
 * from the folder that holds TolvarEx64.dll. The companion installs the hook
 * on its main thread, which from then on only pumps messages (so
 * WaitForInputIdle on it returns once the hook is in place), and ends, after
 * removing the hook, when the host process ends or when its main thread
 * receives WM_QUIT (PostThreadMessage to the thread id CreateProcess
 * returned). Any other end is a failure; its exit code says which.
 */
#ifndef TOLVAR_HOOK_COMPANION_PROTOCOL_H
#define TOLVAR_HOOK_COMPANION_PROTOCOL_H

#include <stdint.h>

#include <string>
#include <vector>

namespace tolvar {

#define TV_COMPANION_EXE "TolvarHook64.exe"
#define TV_COMPANION_LIBRARY "TolvarEx64.dll"
// Held by a running companion, so that an installer can wait for it to end
// before replacing its files.
#define TV_COMPANION_MUTEX "Local\\Tolvar.Hook64.Running"

enum CompanionExit : uint32_t {
    kCompanionDone = 0,          // the host ended or asked it to end
    kCompanionUsage = 2,         // no valid --host
    kCompanionNoHost = 3,        // no such process
    kCompanionNoLibrary = 4,     // TolvarEx64.dll missing or refused to load
    kCompanionNoExports = 5,     // SetHook or KillHook missing
    kCompanionHookRefused = 6,   // the system did not install the hook
};

// The command line's arguments (after the program's name).
std::vector<std::string> CompanionArguments(uint32_t hostProcessId);
// The host's process id from them, or false.
bool ParseCompanionArguments(const std::vector<std::string> &args, uint32_t *hostProcessId);

// What an exit code means, for a message to the user.
std::string CompanionExitText(uint32_t code);

}  // namespace tolvar

#endif  // TOLVAR_HOOK_COMPANION_PROTOCOL_H
