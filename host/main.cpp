// Tolvar.exe: the indicator program. Shows the state of the watched keys in
// the notification area and on screen, plays their sounds, and opens the
// options of Tolvar.dll. See command_line.h for its switches.
#include <windows.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/indicator.h"
#include "host/single_instance.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    using namespace tolvar;
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i)
        args.push_back(__argv[i]);
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(args, &line, &error)) {
        MessageBoxA(nullptr, (error + "\n\n" + UsageText()).c_str(), "Tolvar", MB_OK | MB_ICONERROR);
        return 2;
    }
    if (line.exitRunning)
        return AskRunningInstanceToExit(30000);

    HANDLE instance = ClaimSingleInstance();
    if (!instance) {
        HandOverToRunningInstance();
        return 0;
    }
    int result = 0;
    {
        Indicator indicator;
        result = indicator.Run(line);
    }
    if (instance != INVALID_HANDLE_VALUE)
        CloseHandle(instance);
    return result;
}
