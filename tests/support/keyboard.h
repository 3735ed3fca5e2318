// keyboard.h - real key events, as a user's keyboard makes them: SendInput
// from a process that owns the foreground, so that a system-wide hook sees
// them in whichever process receives them.
#ifndef TOLVAR_TESTS_SUPPORT_KEYBOARD_H
#define TOLVAR_TESTS_SUPPORT_KEYBOARD_H

#include <windows.h>

namespace tolvar_test {

// One key event with its scan code (key names are empty without it) and the
// extended flag for the keys that carry it.
void SendKey(WORD vk, bool up);
// A press and a release.
void TapKey(WORD vk);

// Brings a top-level window to the foreground, and the keyboard focus to
// focus (null: whatever the window's thread focuses); waits up to ms.
bool BringToFront(HWND window, HWND focus, DWORD ms);

// The event Windows raises when a window comes to the front (Wine 8 does
// not), raised from a new thread: Wine raises an event only for the hooks
// that the raising thread knew of when it last took a message.
bool RaiseForegroundEvent(HWND window);

} // namespace tolvar_test

#endif // TOLVAR_TESTS_SUPPORT_KEYBOARD_H
