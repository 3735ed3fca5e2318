// One instance per session.
#include "host/app/single_instance.h"

#include "host/app/indicator.h"
#include "host/app/object_security.h"
#include "host/app/system_message.h"

namespace tolvar {

const char kIndicatorWindowClass[] = "TolvarIndicatorWindow";

const char kForeignInstanceText[] =
    "Tolvar's instance object in this session was made by another user or by a program with "
    "lower rights, so Tolvar does not start.\n\nLog off and on again to remove it.";

namespace {

// "Local\": per logon session, as the program is per user.
const char kInstanceMutex[] = "Local\\Tolvar.Indicator.Instance";

const char kNoWindow[] =
    "Tolvar's instance object in this session is held, but there is no Tolvar window to ask: "
    "Tolvar may be starting or ending, or a Tolvar that no longer answers holds it.";

HWND FindRunning()
{
    return FindWindowA(kIndicatorWindowClass, nullptr);
}

// Whether a process holds the instance object; one this program may not
// open counts.
bool InstanceObjectExists()
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutex);
    if (mutex) {
        CloseHandle(mutex);
        return true;
    }
    return GetLastError() == ERROR_ACCESS_DENIED;
}

// Why a message to the running instance was not delivered.
std::string Refusal(DWORD error)
{
    if (error == ERROR_ACCESS_DENIED)
        return "It runs with administrator rights, and the system keeps messages from programs "
               "without them away from it.";
    return "The system did not deliver the message: " + SystemMessage(error) + ".";
}

// Until the window and the instance object are gone, for a process that
// cannot be waited for.
bool WaitUntilGone(HWND running, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (IsWindow(running) || InstanceObjectExists()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

}  // namespace

InstanceClaim ClaimSingleInstance(HANDLE *held)
{
    *held = CreateMutexA(NamedObjectSecurity(), FALSE, kInstanceMutex);
    const DWORD error = GetLastError();
    if (!*held) {
        // An object this user's programs may not open exists: the hand-over
        // finds out whose it is. Without any object there is no way to
        // tell; run rather than refuse.
        return error == ERROR_ACCESS_DENIED ? InstanceClaim::kRunning : InstanceClaim::kClaimed;
    }
    if (error != ERROR_ALREADY_EXISTS)
        return InstanceClaim::kClaimed;
    const bool ours = MadeByThisUser(*held);
    CloseHandle(*held);
    *held = nullptr;
    return ours ? InstanceClaim::kRunning : InstanceClaim::kForeign;
}

InstanceAnswer HandOverToRunningInstance(bool display)
{
    const std::string cannot = std::string("Tolvar is already running, but this start cannot ask it to open its ") +
                               (display ? "Display window" : "options") + ".\n\n";
    HWND running = FindRunning();
    if (!running)
        return {kExitUnreachable, cannot + kNoWindow + "\n\nTry again in a moment."};
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    // The running instance may bring its dialog to the front.
    AllowSetForegroundWindow(process);
    if (PostMessageA(running, display ? kMsgOpenDisplay : kMsgOpenOptions, 0, 0))
        return {kExitDone, ""};
    return {kExitUnreachable, cannot + Refusal(GetLastError()) +
                                  "\n\nUse its icons in the notification area, or end it there "
                                  "(Exit) and start Tolvar again."};
}

InstanceAnswer AskRunningInstanceToExit(DWORD timeoutMs)
{
    const std::string cannot = "Tolvar --exit: the running Tolvar cannot be asked to exit. ";
    HWND running = FindRunning();
    if (!running) {
        if (InstanceObjectExists())
            return {kExitUnreachable, cannot + kNoWindow};
        return {kExitDone, ""};
    }
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    if (!PostMessageA(running, WM_CLOSE, 0, 0)) {
        const DWORD error = GetLastError();
        if (handle)
            CloseHandle(handle);
        if (!IsWindow(running))  // it ended meanwhile
            return InstanceObjectExists() ? InstanceAnswer{kExitUnreachable, cannot + kNoWindow}
                                          : InstanceAnswer{kExitDone, ""};
        return {kExitUnreachable, cannot + Refusal(error) +
                                      " End it from its icon in the notification area (Exit), or "
                                      "run --exit with administrator rights."};
    }
    // A process of higher rights may refuse to be waited for: then its
    // window and its instance object tell.
    const bool ended = handle ? WaitForSingleObject(handle, timeoutMs) == WAIT_OBJECT_0
                              : WaitUntilGone(running, timeoutMs);
    if (handle)
        CloseHandle(handle);
    if (ended)
        return {kExitDone, ""};
    return {kExitNotEnded, "Tolvar --exit: the running Tolvar did not end within " +
                               std::to_string(timeoutMs / 1000) + " seconds."};
}

}  // namespace tolvar
