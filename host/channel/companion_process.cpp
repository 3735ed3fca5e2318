// Starting and ending the 64-bit companion.
#include "host/channel/companion_process.h"

#include "hook/companion/companion_protocol.h"

namespace tolvar {

namespace {

// The longest the companion may take to install its hook, and to end.
const DWORD kStartMs = 30000;
const DWORD kStopMs = 5000;

std::wstring Quoted(const std::wstring &text)
{
    return L"\"" + text + L"\"";
}

}  // namespace

bool RunningOnWow64()
{
    typedef BOOL(WINAPI * IsWow64ProcessProc)(HANDLE, BOOL *);
    const IsWow64ProcessProc isWow64 = reinterpret_cast<IsWow64ProcessProc>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

bool CompanionProcess::Start(const std::wstring &exe, const std::string &shown,
                             std::string *problem)
{
    Stop();
    std::wstring commandLine = Quoted(exe);
    for (const std::string &arg : CompanionArguments(GetCurrentProcessId()))
        commandLine += L" " + std::wstring(arg.begin(), arg.end());  // digits and switches
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info_)) {
        const DWORD error = GetLastError();
        info_ = {};
        *problem = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                       ? shown + " is missing"
                       : shown + " cannot be started (error " + std::to_string(error) + ")";
        return false;
    }
    // It waits for messages only once its hook is in place, or it ends.
    WaitForInputIdle(info_.hProcess, kStartMs);
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0) {
        *problem = shown + " ended at once: " + EndReason();
        Stop();
        return false;
    }
    return true;
}

std::string CompanionProcess::EndReason() const
{
    DWORD code = 0;
    if (!info_.hProcess || !GetExitCodeProcess(info_.hProcess, &code) || code == STILL_ACTIVE)
        return "it is still running";
    return CompanionExitText(code);
}

void CompanionProcess::Stop()
{
    if (!info_.hProcess)
        return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        PostThreadMessageA(info_.dwThreadId, WM_QUIT, 0, 0);
        if (WaitForSingleObject(info_.hProcess, kStopMs) == WAIT_TIMEOUT)
            TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, kStopMs);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = {};
}

}  // namespace tolvar
