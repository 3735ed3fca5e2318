/*
 * quiet_start.h - whether Tolvar greets the user with its splash window:
 * when the user starts it, not when Windows starts it at logon from the
 * shortcut in the Startup folder, nor when told to start quietly (/quiet,
 * --no-splash, for installers and scripts), nor ever once the user turned
 * the splash off.
 *
 * The shortcut starts the program without arguments (the options library
 * makes it so), so a start at logon is told by how Windows starts a
 * program from a shortcut: the start-up information names the shortcut
 * (STARTF_TITLEISLINKNAME), here one in a Startup folder.
 *
 * Platform-free, so that the rule is tested natively.
 */
#ifndef TOLVAR_HOST_QUIET_START_H
#define TOLVAR_HOST_QUIET_START_H

#include <string>
#include <vector>

#include "host/app/command_line.h"

namespace tolvar {

// Whether the shortcut (a full path) lies in one of the folders; paths
// compared without regard to case (ASCII letters here; the caller puts
// others in one case first) and to the kind of slash.
bool IsStartupShortcut(const std::string &shortcut, const std::vector<std::string> &startupFolders);

bool ShowSplashAtStart(const CommandLine &line, bool splashSetting, bool startedAtLogon);

}  // namespace tolvar

#endif  // TOLVAR_HOST_QUIET_START_H
