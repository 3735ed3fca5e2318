// Tolvar.exe: the indicator program. Shows the state of the watched keys in
// the notification area and on screen, plays their sounds, and opens the
// options of Tolvar.dll. See command_line.h for its switches.
#include <windows.h>

#include <string>
#include <vector>

#include "host/app/command_line.h"
#include "host/app/console_output.h"
#include "host/app/dll_search.h"
#include "host/app/indicator.h"
#include "host/app/leftover_files.h"
#include "host/app/program_paths.h"
#include "host/app/single_instance.h"

namespace {

// The paths on the command line in full and in their usable ANSI form (the
// files are opened through the ANSI calls); false, naming the path, when one
// has none.
bool PathsForAnsiCalls(tolvar::CommandLine *line, std::string *error)
{
    using namespace tolvar;
    for (std::string *path : {&line->settingsPath, &line->logPath, &line->timingPath}) {
        if (path->empty())
            continue;
        const std::wstring full = FullPathW(FromUtf8(*path));
        bool usable = false;
        *path = AnsiPath(full, &usable);
        if (!usable) {
            *error = "Tolvar cannot use the file\n" + Utf8(full) +
                     "\nbecause this version of Windows cannot hand its name to the file "
                     "calls. Choose a file whose name and folder are in the system's letters.";
            return false;
        }
    }
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    using namespace tolvar;
    // Before anything is loaded by name.
    RestrictDllSearch();
    // Read wide and parsed as UTF-8, which holds every letter.
    std::vector<std::string> args;
    for (const std::wstring &arg : ProgramArguments())
        args.push_back(Utf8(arg));
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(args, &line, &error) || !PathsForAnsiCalls(&line, &error)) {
        MessageBoxW(nullptr, FromUtf8(error + "\n\n" + UsageText()).c_str(), L"Tolvar",
                    MB_OK | MB_ICONERROR);
        return 2;
    }
    // Every relative path from here on means the program's folder, however
    // Tolvar was started: the options library's previews and scheme files
    // resolve the paths it is given against the current folder too.
    SetCurrentDirectoryW(ProgramFolderW().c_str());
    if (line.exitRunning) {
        const InstanceAnswer answer = AskRunningInstanceToExit(30000);
        WriteToConsole(answer.message);
        return answer.exitCode;
    }

    HANDLE instance = nullptr;
    switch (ClaimSingleInstance(&instance)) {
    case InstanceClaim::kClaimed:
        break;
    case InstanceClaim::kRunning: {
        const InstanceAnswer answer = HandOverToRunningInstance(line.openDisplay);
        if (!answer.message.empty())
            MessageBoxA(nullptr, answer.message.c_str(), "Tolvar", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
        return answer.exitCode;
    }
    case InstanceClaim::kForeign:
        MessageBoxA(nullptr, kForeignInstanceText, "Tolvar", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
        return 1;
    }
    // The one instance: copies of program files that an update set aside
    // while other programs held them are free to go now, or at a later start.
    RemoveSetAsideProgramFiles(ProgramFolderW());
    int result = 0;
    {
        Indicator indicator;
        result = indicator.Run(line);
    }
    if (instance)
        CloseHandle(instance);
    return result;
}
