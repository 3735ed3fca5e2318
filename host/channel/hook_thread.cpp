// The thread that holds the keyboard hook and only pumps messages.
#include "host/channel/hook_thread.h"

namespace tolvar {

bool HookThread::Start(HookLibrary *library, HANDLE watched, HWND window, UINT message)
{
    Stop();
    library_ = library;
    watched_ = watched;
    window_ = window;
    message_ = message;
    started_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!started_)
        return false;
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, &threadId_);
    if (thread_)
        WaitForSingleObject(started_, INFINITE);
    CloseHandle(started_);
    started_ = nullptr;
    return thread_ != nullptr;
}

void HookThread::Stop()
{
    if (!thread_)
        return;
    // The thread has its message queue from its first moment, so the quit
    // message cannot be lost.
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
    threadId_ = 0;
}

DWORD WINAPI HookThread::ThreadMain(void *param)
{
    HookThread *self = static_cast<HookThread *>(param);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue, before anyone posts
    self->library_->SetHook();
    SetEvent(self->started_);
    self->Pump();
    self->library_->KillHook();
    return 0;
}

void HookThread::Pump()
{
    HANDLE watched = watched_;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return;
            DispatchMessageA(&msg);
        }
        const DWORD count = watched ? 1 : 0;
        const DWORD wait = MsgWaitForMultipleObjects(count, &watched, FALSE, INFINITE, QS_ALLINPUT);
        if (count && wait == WAIT_OBJECT_0) {
            PostMessageA(window_, message_, 0, 0);
            watched = nullptr;  // told once
        }
    }
}

}  // namespace tolvar
