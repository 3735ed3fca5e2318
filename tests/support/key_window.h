// key_window.h - a window of the test process, on a thread of its own that
// pumps messages, into which real key events (SendInput) are typed. A
// system-wide keyboard hook sees them as the window's thread takes them.
#ifndef TOLVAR_TESTS_SUPPORT_KEY_WINDOW_H
#define TOLVAR_TESTS_SUPPORT_KEY_WINDOW_H

#include <windows.h>

#include <initializer_list>

namespace tolvar_test {

class KeyWindow {
public:
    ~KeyWindow();
    bool Open();
    void Close();
    HWND window() const { return window_; }

    // Bring the window to the foreground, then press and release vk.
    void Tap(WORD vk);
    // Holds the modifiers (in order), taps vk, releases them: the way a
    // combination reaches a hook with its modifiers already down.
    void Chord(std::initializer_list<WORD> modifiers, WORD vk);
    // Waits until the window's thread has taken every key sent before.
    bool Settle();
    // A lock key's toggle state as the window's thread sees it (settled).
    bool Toggled(WORD vk);
    // Taps vk until its toggle state is on.
    bool SetToggle(WORD vk, bool on);

private:
    static DWORD WINAPI ThreadMain(void *self);
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    HWND window_ = nullptr;
    volatile LONG sentinels_ = 0;
    LONG sentinelsSent_ = 0;
};

} // namespace tolvar_test

#endif
