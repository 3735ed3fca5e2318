// One instance per session.
#include "host/single_instance.h"

#include "host/indicator.h"

namespace tolvar {

namespace {

// "Local\": per logon session, as the program is per user.
const char kInstanceMutex[] = "Local\\Tolvar.Indicator.Instance";

HWND FindRunning()
{
    return FindWindowA(kIndicatorWindowClass, nullptr);
}

}  // namespace

HANDLE ClaimSingleInstance()
{
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kInstanceMutex);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    // Without the object there is no way to tell; run rather than refuse.
    return mutex ? mutex : INVALID_HANDLE_VALUE;
}

void HandOverToRunningInstance()
{
    HWND running = FindRunning();
    DWORD process = 0;
    if (running && GetWindowThreadProcessId(running, &process)) {
        // The running instance may bring its dialog to the front.
        AllowSetForegroundWindow(process);
        if (PostMessageA(running, kMsgOpenOptions, 0, 0))
            return;
    }
    MessageBoxA(nullptr, "Tolvar is already running.\n\nIts icons are in the notification area "
                         "of the taskbar.",
                "Tolvar", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

int AskRunningInstanceToExit(DWORD timeoutMs)
{
    HWND running = FindRunning();
    if (!running)
        return 0;
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    PostMessageA(running, WM_CLOSE, 0, 0);
    if (!handle)
        return FindRunning() ? 1 : 0;
    const DWORD wait = WaitForSingleObject(handle, timeoutMs);
    CloseHandle(handle);
    return wait == WAIT_OBJECT_0 ? 0 : 1;
}

}  // namespace tolvar
