// The switches of Tolvar.exe.
#include "host/app/command_line.h"

namespace tolvar {

namespace {

// "/quiet" as installers write it, in any case, or "--quiet".
bool IsQuietSwitch(const std::string &arg)
{
    if (arg == "--quiet")
        return true;
    const char quiet[] = "/quiet";
    if (arg.size() != sizeof quiet - 1)
        return false;
    for (size_t i = 0; i < arg.size(); ++i)
        if ((arg[i] >= 'A' && arg[i] <= 'Z' ? arg[i] - 'A' + 'a' : arg[i]) != quiet[i])
            return false;
    return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string> &args, CommandLine *out, std::string *error)
{
    CommandLine line;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        std::string *value = nullptr;
        if (arg == "--settings")
            value = &line.settingsPath;
        else if (arg == "--log")
            value = &line.logPath;
        else if (arg == "--timing")
            value = &line.timingPath;
        else if (arg == "--no-splash")
            line.splash = false;
        else if (IsQuietSwitch(arg))
            line.quiet = true;
        else if (arg == "--demo")
            line.demo = true;
        else if (arg == "--display")
            line.openDisplay = true;
        else if (arg == "--exit")
            line.exitRunning = true;
        else {
            *error = "Unknown argument: " + arg;
            return false;
        }
        if (value) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                *error = arg + " needs a file name.";
                return false;
            }
            *value = args[++i];
        }
    }
    *out = line;
    return true;
}

const char *UsageText()
{
    return "Usage: Tolvar.exe [options]\n\n"
           "  --settings PATH   use this settings file instead of Tolvar.ini\n"
           "  --log FILE        append one line per indication to FILE\n"
           "  --no-splash       start without the splash window\n"
           "  /quiet, --quiet   the same, for installers and scripts (a start from the\n"
           "                    Startup folder at logon is quiet too)\n"
           "  --demo            press the lock keys, show their indications and exit\n"
           "  --timing FILE     write report-to-tray timing figures to FILE at exit\n"
           "  --display         open the Display window (of the Tolvar already running,\n"
           "                    if any; without it, a second start opens the options)\n"
           "  --exit            ask the running Tolvar to exit; exit code 0 once none\n"
           "                    runs, 1 when it did not end within 30 s, 3 when it\n"
           "                    cannot be asked (the reason goes to standard error)";
}

}  // namespace tolvar
