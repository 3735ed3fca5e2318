/*
 * command_line.h - the switches of Tolvar.exe.
 *
 *   Tolvar.exe [--settings PATH] [--log FILE] [--no-splash] [/quiet]
 *              [--demo] [--timing FILE] [--display] [--exit]
 *
 * Platform-free, so that the parsing is tested natively.
 */
#ifndef TOLVAR_HOST_COMMAND_LINE_H
#define TOLVAR_HOST_COMMAND_LINE_H

#include <string>
#include <vector>

namespace tolvar {

struct CommandLine {
    std::string settingsPath;  // empty: the default place
    std::string logPath;       // empty: no log
    std::string timingPath;    // empty: no timing figures
    bool splash = true;
    bool quiet = false;        // started by an installer or a script: no splash
    bool demo = false;
    bool openDisplay = false;  // open the Display window (a running Tolvar's)
    bool exitRunning = false;  // tell the running instance to exit
};

// Parses the arguments after the program name. False, with a message for the
// user, on an unknown switch or a switch without its value.
bool ParseCommandLine(const std::vector<std::string> &args, CommandLine *out, std::string *error);

// The usage text shown with a parse error.
const char *UsageText();

}  // namespace tolvar

#endif  // TOLVAR_HOST_COMMAND_LINE_H
