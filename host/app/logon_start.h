/*
 * logon_start.h - whether Windows started the program from a shortcut in
 * the user's or all users' Startup folder (at logon). quiet_start.h has the
 * rule; this gathers what it needs.
 */
#ifndef TOLVAR_HOST_LOGON_START_H
#define TOLVAR_HOST_LOGON_START_H

namespace tolvar {

bool StartedFromStartupFolder();

}  // namespace tolvar

#endif  // TOLVAR_HOST_LOGON_START_H
