// unseen_keys.h - a lock key toggled where the program's keyboard hook does
// not report it, as in a program running as administrator or on the lock
// screen: the key is tapped while the channel's table is empty, so the
// hook sees the key event and matches nothing.
#ifndef TOLVAR_TESTS_SUPPORT_UNSEEN_KEYS_H
#define TOLVAR_TESTS_SUPPORT_UNSEEN_KEYS_H

#include <windows.h>

#include "key_window.h"

namespace tolvar_test {

// Taps vk in the window with the running program's table emptied, and
// puts the table back once the window's thread has taken the key.
bool TapUnseen(KeyWindow &keys, WORD vk);

} // namespace tolvar_test

#endif
