// Starting the 64-bit companion, and what its exit code says.
#include "hook/companion/companion_protocol.h"

#include <stdlib.h>

namespace tolvar {

std::vector<std::string> CompanionArguments(uint32_t hostProcessId)
{
    return {"--host", std::to_string(hostProcessId)};
}

bool ParseCompanionArguments(const std::vector<std::string> &args, uint32_t *hostProcessId)
{
    if (args.size() != 2 || args[0] != "--host" || args[1].empty() || args[1].size() > 10)
        return false;
    for (char ch : args[1])
        if (ch < '0' || ch > '9')
            return false;
    const unsigned long long id = strtoull(args[1].c_str(), nullptr, 10);
    if (id == 0 || id > 0xFFFFFFFFull)
        return false;
    *hostProcessId = static_cast<uint32_t>(id);
    return true;
}

std::string CompanionExitText(uint32_t code)
{
    switch (code) {
    case kCompanionDone:
        return "it ended";
    case kCompanionUsage:
        return "it was started without the host's process id";
    case kCompanionNoHost:
        return "it could not find the program that started it";
    case kCompanionNoLibrary:
        return "it could not load " TV_COMPANION_LIBRARY;
    case kCompanionNoExports:
        return TV_COMPANION_LIBRARY " is not the hook library";
    case kCompanionHookRefused:
        return "Windows did not install its keyboard hook";
    default:
        return "it ended with exit code " + std::to_string(code);
    }
}

}  // namespace tolvar
