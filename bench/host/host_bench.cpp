// host_bench.exe - what Tolvar.exe costs while it runs.
//
//   host_bench.exe [idle_seconds] [reports]      (defaults: 60 1000)
//
// Runs Tolvar.exe from its own folder with the default keys, a log and
// --timing, twice, and measures with the process's own CPU times (user +
// kernel). Keys are real key events (Caps Lock tapped: a press and a release
// are two reports of the hook and one indication) typed into a window of
// this process.
//   run 1: idle    CPU over idle_seconds in which no key is pressed;
//          paced   one tap at a time, the next once the last was indicated:
//                  Tolvar.exe's --timing figures give the time from its
//                  listener seeing the match event to the tray icon updated;
//   run 2: burst   CPU over that many reports typed as fast as SendInput
//                  goes, and the same timing under that load.
// Prints figures; never passes or fails.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "key_window.h"
#include "polling.h"
#include "tolvar_program.h"

using namespace tolvar_test;

namespace {

double CpuMs(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME &t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

double NowMs()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

}  // namespace

struct Run {
    std::string log, timing;
    TolvarProgram program;
    HANDLE process = nullptr;
    size_t lines = 0;
};

bool StartRun(Run *run, const std::string &folder, KeyWindow &keys)
{
    run->log = folder + "\\indications.log";
    run->timing = folder + "\\timing.txt";
    if (!run->program.Start(TestBinFolder() + "\\Tolvar.exe",
                            {"--no-splash", "--settings", folder + "\\Tolvar.ini", "--log", run->log,
                             "--timing", run->timing}) ||
        !run->program.WaitReady())
        return false;
    run->process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, run->program.pid());
    // Start-up work (its window, the tray, the first sound) settles first.
    keys.Tap(VK_CAPITAL);
    keys.Tap(VK_CAPITAL);
    run->lines = 2;
    return WaitLogLines(run->log, run->lines);
}

std::string EndRun(Run *run)
{
    DWORD code = 1;
    run->program.Exit(&code);
    CloseHandle(run->process);
    return ReadFileBytes(run->timing);
}

int main(int argc, char **argv)
{
    const int idleSeconds = argc > 1 ? atoi(argv[1]) : 60;
    const int reports = argc > 2 ? atoi(argv[2]) : 1000;
    const int taps = reports / 2;
    KeyWindow keys;
    if (!keys.Open() || !keys.SetToggle(VK_CAPITAL, false)) {
        fprintf(stderr, "host_bench: no key window\n");
        return 1;
    }

    Run first;
    if (!StartRun(&first, FreshFolder("bench-idle"), keys)) {
        fprintf(stderr, "host_bench: Tolvar.exe did not start\n");
        return 1;
    }
    Sleep(2000);
    const double idleStart = CpuMs(first.process);
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    const double idleCpu = CpuMs(first.process) - idleStart;
    const int paced = 100;
    for (int i = 0; i < paced; ++i) {
        keys.Tap(VK_CAPITAL);
        WaitLogLines(first.log, ++first.lines);
    }
    const std::string pacedTiming = EndRun(&first);

    Run second;
    if (!StartRun(&second, FreshFolder("bench-burst"), keys)) {
        fprintf(stderr, "host_bench: Tolvar.exe did not start again\n");
        return 1;
    }
    const double busyStart = CpuMs(second.process);
    const double wallStart = NowMs();
    for (int i = 0; i < taps; ++i)
        keys.Tap(VK_CAPITAL);
    WaitLogLines(second.log, second.lines + taps);
    const double wall = NowMs() - wallStart;
    const double busyCpu = CpuMs(second.process) - busyStart;
    const size_t indications = LogLines(second.log).size() - second.lines;
    const std::string burstTiming = EndRun(&second);
    keys.SetToggle(VK_CAPITAL, false);

    printf("idle: %.1f ms CPU over %d s\n", idleCpu, idleSeconds);
    printf("burst: %d reports (%u indications) in %.0f ms: %.1f ms CPU, %.3f ms CPU per report\n",
           taps * 2, static_cast<unsigned>(indications), wall, busyCpu, busyCpu / (taps * 2));
    printf("match to tray, paced (%d taps): %s", paced, pacedTiming.c_str());
    printf("match to tray, burst: %s", burstTiming.c_str());
    return 0;
}
