// key_latency_bench.exe - what Tolvar.exe adds to the time a key takes to
// reach the program it is typed into, on 64-bit Windows: run it in a 64-bit
// (WoW64) Wine prefix, from the build's bin folder.
//
//   key_latency_bench.exe [events per case per phase] [phases]   (defaults: 100 4)
//
// Times SendInput -> WM_KEYDOWN in a 32-bit and a 64-bit target program
// (latency_target.exe, latency_target64.exe) for a key no entry watches (B)
// and a watched one (F8), with Tolvar.exe not running, running without its
// 64-bit companion (a copy of the program beside only its 32-bit library:
// the 32-bit hook alone, as before the companion existed), and running with
// it, in phases that take turns (off, 32-bit hook only, on, off, ...), so
// that a slow spell of a busy machine falls on all of them. Within a phase the
// targets and keys take turns in rounds of ten events. Tolvar.exe runs with
// settings of its own: the three lock keys and F8, silent and without the
// on-screen display, so that the figures are those of the hooks and the
// report, not of sound or drawing. Prints median and p95 in microseconds per
// case, and Tolvar on against off. Never passes or fails.
//
//   key_latency_bench.exe [events] [phases] 2    leaves out the phase of the
//                                                32-bit hook alone
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "child_process.h"
#include "companion_hook.h"
#include "keyboard.h"
#include "polling.h"
#include "tolvar_program.h"

using namespace tolvar_test;

namespace {

const DWORD kWaitMs = 60000;
const int kPerRound = 10;

struct Arrivals {
    volatile LONGLONG lastKeyDown;
    volatile LONG keyDowns;
    volatile LONG keyUps;
};

struct Target {
    const char *name;
    const char *exe;
    ChildProcess process;
    HWND window = nullptr;
    Arrivals *arrivals = nullptr;
    HANDLE down = nullptr, up = nullptr;

    bool Start(int x)
    {
        const std::string path = TestBinFolder() + "\\" + exe;
        if (!process.Start("\"" + path + "\" " + std::to_string(x) + " 300", path + ".out"))
            return false;
        if (!WaitFor([&] { return (window = FindProcessWindow(process.Id(), "TolvarLatencyTarget", nullptr)); },
                     kWaitMs, 20))
            return false;
        const std::string base = "TolvarLatencyTarget-" + std::to_string(process.Id());
        HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, base.c_str());
        arrivals = mapping ? static_cast<Arrivals *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0)) : nullptr;
        down = OpenEventA(SYNCHRONIZE, FALSE, (base + "-down").c_str());
        up = OpenEventA(SYNCHRONIZE, FALSE, (base + "-up").c_str());
        return arrivals && down && up;
    }
};

double g_ticksPerUs;

bool CompanionHookInstalled()
{
    return CompanionHookProcess() != 0;
}

// One key event's time to WM_KEYDOWN in the target, in microseconds; its
// release is sent and awaited untimed. Negative when it never arrived.
double TimeKey(Target &t, WORD vk)
{
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    SendKey(vk, false);
    if (WaitForSingleObject(t.down, kWaitMs) != WAIT_OBJECT_0)
        return -1;
    const double us = (t.arrivals->lastKeyDown - t0.QuadPart) / g_ticksPerUs;
    SendKey(vk, true);
    if (WaitForSingleObject(t.up, kWaitMs) != WAIT_OBJECT_0)
        return -1;
    return us;
}

struct Figures {
    double median, p95;
};

Figures Summarise(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    if (v.empty())
        return {0, 0};
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 95 / 100)]};
}

std::string Settings()
{
    std::string text = "[Tolvar]\r\nVersion=1\r\nSilent=1\r\nOnScreenDisplay=0\r\nKeys=4\r\n";
    const char *keys[][3] = {{"0x14", "0x80", "Caps Lock"}, {"0x90", "0x80", "Num Lock"},
                             {"0x91", "0x80", "Scroll Lock"}, {"0x77", "0x00", "F8"}};
    for (int i = 0; i < 4; ++i) {
        const bool lock = i < 3;
        text += "[Key" + std::to_string(i + 1) + "]\r\nCode=" + keys[i][0] + "\r\nModifiers=" + keys[i][1] +
                "\r\nName=\"" + keys[i][2] + "\"\r\nHasIcon=" + (lock ? "1" : "0") +
                "\r\nHasOffState=" + (lock ? "1" : "0") + "\r\n";
    }
    return text;
}

}  // namespace

int main(int argc, char **argv)
{
    const int events = argc > 1 ? atoi(argv[1]) : 100;
    const int phases = argc > 2 ? atoi(argv[2]) : 4;
    const int rounds = std::max(1, events / kPerRound);
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    g_ticksPerUs = freq.QuadPart / 1e6;
    setvbuf(stdout, nullptr, _IONBF, 0);

    Target targets[2];
    targets[0].name = "32-bit target";
    targets[0].exe = "latency_target.exe";
    targets[1].name = "64-bit target";
    targets[1].exe = "latency_target64.exe";
    for (int i = 0; i < 2; ++i) {
        if (!targets[i].Start(40 + 320 * i)) {
            fprintf(stderr, "%s did not start\n", targets[i].exe);
            return 1;
        }
    }
    const std::string folder = FreshFolder("key-latency");
    const std::string ini = folder + "\\Tolvar.ini";
    if (!WriteFileBytes(ini, Settings()))
        return 1;

    // A copy of the program with its 32-bit hook library only.
    const std::string alone = FreshFolder("tolvar-32-bit-hook-only");
    for (const char *file : {"Tolvar.exe", "Tolvar.dll", "TolvarEx.dll"})
        if (!CopyFileA((TestBinFolder() + "\\" + file).c_str(), (alone + "\\" + file).c_str(), FALSE))
            return 1;

    const WORD keys[2] = {'B', VK_F8};
    const char *keyNames[2] = {"unwatched key (B)", "watched key (F8)"};
    enum Mode { kOff, kHook32Only, kOn };
    const int modes = argc > 3 ? atoi(argv[3]) : 3;
    const Mode order[3] = {kOff, kOn, kHook32Only};
    // us[mode][target][key]
    std::vector<double> us[3][2][2];
    for (int phase = 0; phase < modes * phases; ++phase) {
        const Mode mode = order[phase % modes];
        TolvarProgram tolvar;
        if (mode != kOff) {
            const std::string exe = (mode == kOn ? TestBinFolder() : alone) + "\\Tolvar.exe";
            if (!(tolvar.Start(exe, {"--no-splash", "--settings", ini}) && tolvar.WaitReady())) {
                fprintf(stderr, "Tolvar.exe did not start\n");
                return 1;
            }
        }
        if (mode == kOn && !WaitFor(CompanionHookInstalled, kWaitMs, 20)) {
            fprintf(stderr, "Tolvar.exe's 64-bit companion installed no hook\n");
            return 1;
        }
        if (mode == kHook32Only) {
            // It says that it cannot see 64-bit programs: OK.
            HWND box = nullptr;
            if (!WaitFor([&] { return (box = FindMessageBoxOf(tolvar.pid())) != nullptr; }, kWaitMs, 20))
                return 1;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            WaitFor([&] { return !IsWindow(box); }, kWaitMs, 20);
        }
        for (int r = 0; r < rounds; ++r) {
            for (int t = 0; t < 2; ++t) {
                if (!BringToFront(targets[t].window, nullptr, kWaitMs)) {
                    fprintf(stderr, "%s did not come to the front\n", targets[t].name);
                    return 1;
                }
                for (int k = 0; k < 2; ++k) {
                    for (int i = 0; i < kPerRound; ++i) {
                        const double time = TimeKey(targets[t], keys[k]);
                        if (time < 0) {
                            fprintf(stderr, "a key never reached the %s\n", targets[t].name);
                            return 1;
                        }
                        us[mode][t][k].push_back(time);
                    }
                }
            }
        }
        DWORD code = 0;
        if (mode != kOff) {
            tolvar.Exit(&code);
            WaitFor([] { return !CompanionHookInstalled(); }, kWaitMs, 20);
        }
        fprintf(stderr, "phase %d of %d done\n", phase + 1, modes * phases);
    }

    printf("%-14s %-18s %16s %16s %16s %8s %10s\n", "target", "key", "off: median p95",
           "32-bit only", "on: median p95", "on/off", "on - off");
    for (int t = 0; t < 2; ++t) {
        for (int k = 0; k < 2; ++k) {
            const Figures off = Summarise(us[kOff][t][k]), on = Summarise(us[kOn][t][k]),
                          only = Summarise(us[kHook32Only][t][k]);
            printf("%-14s %-18s %8.1f %7.1f %8.1f %7.1f %8.1f %7.1f %7.2fx %7.1f us\n", targets[t].name,
                   keyNames[k], off.median, off.p95, only.median, only.p95, on.median, on.p95,
                   off.median > 0 ? on.median / off.median : 0.0, on.median - off.median);
        }
    }
    printf("(microseconds, SendInput to WM_KEYDOWN; %d events per case, %d phases of each)\n",
           static_cast<int>(us[kOff][0][0].size()), phases);
    for (Target &t : targets)
        PostMessageA(t.window, WM_CLOSE, 0, 0);
    return 0;
}
