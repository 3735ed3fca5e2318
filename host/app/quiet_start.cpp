// Whether the splash window greets the user.
#include "host/app/quiet_start.h"

namespace tolvar {

namespace {

std::string Folded(const std::string &path)
{
    std::string out;
    for (char ch : path)
        out += ch == '/' ? '\\' : ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
    return out;
}

}  // namespace

bool IsStartupShortcut(const std::string &shortcut, const std::vector<std::string> &startupFolders)
{
    const std::string link = Folded(shortcut);
    // A way out of the folder, such as "Startup\..\Desktop\Tolvar.lnk".
    if (link.find("\\..") != std::string::npos)
        return false;
    for (const std::string &folder : startupFolders) {
        std::string prefix = Folded(folder);
        while (!prefix.empty() && prefix.back() == '\\')
            prefix.pop_back();
        if (prefix.empty())
            continue;
        prefix += '\\';
        if (link.size() > prefix.size() && link.compare(0, prefix.size(), prefix) == 0)
            return true;
    }
    return false;
}

bool ShowSplashAtStart(const CommandLine &line, bool splashSetting, bool startedAtLogon)
{
    return line.splash && !line.quiet && !line.demo && splashSetting && !startedAtLogon;
}

}  // namespace tolvar
