/*
 * message_filter.h - messages that reach Tolvar's window from other
 * programs also when Tolvar runs as administrator.
 *
 * The system then keeps messages from programs without those rights away
 * from its windows, so that the shell's "TaskbarCreated" (the icons come
 * back after the shell restarts), the notification area's clicks, a second
 * start's hand-over and --exit's request would be dropped. Each is let
 * through for this one window, and nothing else is.
 */
#ifndef TOLVAR_HOST_MESSAGE_FILTER_H
#define TOLVAR_HOST_MESSAGE_FILTER_H

#include <windows.h>

#include <initializer_list>

namespace tolvar {

// Systems before Windows 7 have no filter per window; there the messages
// stay as they are.
void LetThroughFromOtherPrograms(HWND window, std::initializer_list<UINT> messages);

}  // namespace tolvar

#endif  // TOLVAR_HOST_MESSAGE_FILTER_H
