/*
 * hook_thread.h - the thread on which Tolvar.exe installs and removes its
 * keyboard hook, and which does nothing else but pump messages.
 *
 * On 64-bit Windows the system runs the 32-bit hook for 64-bit programs on
 * the thread that installed it, and each of their keystrokes waits until
 * that thread takes the call. Were it the window's thread, a settings save,
 * a file dialog or a shell call would hold up typing everywhere; this thread
 * never waits for anything but messages, and the companion's end.
 */
#ifndef TOLVAR_HOST_HOOK_THREAD_H
#define TOLVAR_HOST_HOOK_THREAD_H

#include <windows.h>

#include "host/channel/host_channel.h"

namespace tolvar {

class HookThread {
public:
    ~HookThread() { Stop(); }
    // Starts the thread, which calls SetHook; returns once it has. While it
    // runs, the end of watched (if any) is posted to window as message.
    bool Start(HookLibrary *library, HANDLE watched, HWND window, UINT message);
    // KillHook on that thread, then the thread ends.
    void Stop();
    bool running() const { return thread_ != nullptr; }

private:
    static DWORD WINAPI ThreadMain(void *self);
    void Pump();
    HookLibrary *library_ = nullptr;
    HANDLE watched_ = nullptr;
    HWND window_ = nullptr;
    UINT message_ = 0;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HANDLE started_ = nullptr;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_HOOK_THREAD_H
