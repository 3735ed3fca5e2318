/*
 * system_message.h - the system's text for an error code, for messages to
 * the user: "Access is denied (error 5)".
 */
#ifndef TOLVAR_HOST_SYSTEM_MESSAGE_H
#define TOLVAR_HOST_SYSTEM_MESSAGE_H

#include <windows.h>

#include <string>

namespace tolvar {

std::string SystemMessage(DWORD error);

}  // namespace tolvar

#endif  // TOLVAR_HOST_SYSTEM_MESSAGE_H
