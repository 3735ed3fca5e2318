// Latency a keyboard event pays for the installed hook, under Wine.
//
//   cd <win32 build>/bin && wine hook_latency_bench.exe [events per case]
//
// Times SendInput -> WM_KEYDOWN in a window of this process (on a thread of
// its own) with no hook, with an empty hook of this program's own (the
// platform's cost of calling any hook), with TolvarEx's hook and nothing
// matching, and with the hook and a match answered at once by a host thread;
// then, alone, the calls the hook procedure makes for an event: the mutex
// wait and release (every event), and the same with six GetKeyState (what an
// event whose key code some entry has adds), and a hook of this program's
// own that makes only the mutex wait and release. The cases take turns in rounds
// of a few events each, so that a slow spell of a busy machine falls on all
// of them alike. Prints median and p99 in microseconds, and the hook's added
// median beyond the empty hook as a multiple of the mutex wait and release.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "polling.h"
#include "tolvar/tolvar_host.h"

namespace {

const DWORD kMappingBytes = 4096;
const DWORD kWaitMs = 60000;
HANDLE g_mutex, g_match, g_ready, g_stop;
KeyEventChannel *g_view;
HWND g_window;
HANDLE g_keyDown, g_keyUp;
LARGE_INTEGER g_arrived;
double g_ticksPerUs;

LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_KEYDOWN) {
        QueryPerformanceCounter(&g_arrived);
        SetEvent(g_keyDown);
        return 0;
    }
    if (msg == WM_KEYUP) {
        SetEvent(g_keyUp);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

DWORD WINAPI UiThread(void *ready)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TolvarLatencyBench";
    RegisterClassA(&wc);
    g_window = CreateWindowExA(0, wc.lpszClassName, "latency", WS_OVERLAPPEDWINDOW, 50, 50, 200, 80,
                               nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(g_window, SW_SHOWNORMAL);
    SetEvent(static_cast<HANDLE>(ready));
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0)
        DispatchMessageA(&m);
    return 0;
}

DWORD WINAPI HostThread(void *)
{
    HANDLE waits[2] = {g_stop, g_match};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        SetEvent(g_ready);
    return 0;
}

void Send(WORD vk, bool up)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

void SetTable(int32_t keyCode, uint8_t modifiers, int count)
{
    WaitForSingleObject(g_mutex, INFINITE);
    KeyTableEntry *t = reinterpret_cast<KeyTableEntry *>(reinterpret_cast<char *>(g_view) +
                                                         TV_KEY_TABLE_OFFSET);
    for (int i = 0; i < count; ++i) {
        t[i].keyCode = i == count - 1 ? keyCode : 0x100 + i;
        t[i].modifiers = modifiers;
    }
    g_view->entryCount = count;
    ReleaseMutex(g_mutex);
}

double Since(const LARGE_INTEGER &t0)
{
    LARGE_INTEGER t1;
    QueryPerformanceCounter(&t1);
    return (t1.QuadPart - t0.QuadPart) / g_ticksPerUs;
}

struct Figures {
    double median, p99;
};

Figures Summarise(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    Figures f = {0, 0};
    if (v.empty())
        return f;
    f.median = v[v.size() / 2];
    f.p99 = v[std::min(v.size() - 1, (v.size() * 99) / 100)];
    return f;
}

// SendInput -> WM_KEYDOWN for `events` presses of 'B'; each release is sent
// and waited for (untimed) before the next press.
bool MeasureKeys(int events, std::vector<double> &us)
{
    for (int i = 0; i < events; ++i) {
        ResetEvent(g_keyDown);
        ResetEvent(g_keyUp);
        LARGE_INTEGER t0;
        QueryPerformanceCounter(&t0);
        Send('B', false);
        if (WaitForSingleObject(g_keyDown, kWaitMs) != WAIT_OBJECT_0)
            return false;
        us.push_back((g_arrived.QuadPart - t0.QuadPart) / g_ticksPerUs);
        Send('B', true);
        if (WaitForSingleObject(g_keyUp, kWaitMs) != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

// A keyboard hook that does nothing but hand the event on: what the
// platform charges for calling any hook procedure at all.
HHOOK g_emptyHook;
LRESULT CALLBACK EmptyHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(g_emptyHook, code, wParam, lParam);
}

// A hook of this program's own that makes the one pair of calls TolvarEx's
// hook must make for every event, the channel mutex's wait and release, and
// nothing else: the same calls as "mutex alone", but made where the hook
// makes them, inside the delivery of a key event (under emulation on an idle
// machine a wineserver call there costs many times what it costs in a loop).
HHOOK g_mutexHook;
LRESULT CALLBACK MutexHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && WaitForSingleObject(g_mutex, INFINITE) == WAIT_OBJECT_0)
        ReleaseMutex(g_mutex);
    return CallNextHookEx(g_mutexHook, code, wParam, lParam);
}

// The calls the hook procedure makes for an event, alone: the mutex wait and
// release, and with keyStates the six GetKeyState as well.
void MeasureCalls(int rounds, bool keyStates, std::vector<double> &us)
{
    static const int keys[6] = {VK_LCONTROL, VK_LMENU, VK_LSHIFT, VK_RCONTROL, VK_RMENU, VK_RSHIFT};
    volatile int sink = 0;
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER t0;
        QueryPerformanceCounter(&t0);
        WaitForSingleObject(g_mutex, INFINITE);
        if (keyStates)
            for (int k : keys)
                sink = sink + GetKeyState(k);
        ReleaseMutex(g_mutex);
        us.push_back(Since(t0));
    }
}

enum Case { kNoHook, kEmptyHook, kMutexHook, kMiss, kHit, kMutex, kMutexAndStates, kCases };
const char *const kLabels[kCases] = {
    "no hook",
    "empty hook (CallNextHookEx only)",
    "hook of mutex wait and release only",
    "hook, 8 entries, none matching",
    "hook, match (host answers at once)",
    "mutex wait and release alone",
    "mutex wait+release, 6 GetKeyState",
};

}  // namespace

int main(int argc, char **argv)
{
    const int events = argc > 1 ? atoi(argv[1]) : 200;
    const int kPerRound = 20;
    const int rounds = std::max(1, events / kPerRound);
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    g_ticksPerUs = freq.QuadPart / 1e6;

    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMappingBytes,
                                       TV_CHANNEL_MAPPING_NAME);
    g_view = static_cast<KeyEventChannel *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    g_mutex = CreateMutexA(nullptr, FALSE, TV_CHANNEL_MUTEX_NAME);
    g_match = CreateEventA(nullptr, FALSE, FALSE, TV_MATCH_EVENT_NAME);
    g_ready = CreateEventA(nullptr, FALSE, FALSE, TV_READY_EVENT_NAME);
    g_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_keyDown = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_keyUp = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!g_view || !g_mutex || !g_match || !g_ready) {
        fprintf(stderr, "cannot create the channel\n");
        return 1;
    }
    memset(g_view, 0, TV_KEY_TABLE_OFFSET);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CreateThread(nullptr, 0, UiThread, ready, 0, nullptr);
    WaitForSingleObject(ready, kWaitMs);
    HANDLE host = CreateThread(nullptr, 0, HostThread, nullptr, 0, nullptr);

    HMODULE dll = LoadLibraryA("TolvarEx.dll");
    TvHookProc setHook = dll ? reinterpret_cast<TvHookProc>(GetProcAddress(dll, "SetHook")) : nullptr;
    TvHookProc killHook = dll ? reinterpret_cast<TvHookProc>(GetProcAddress(dll, "KillHook")) : nullptr;
    if (!setHook || !killHook) {
        fprintf(stderr, "cannot load TolvarEx.dll\n");
        return 1;
    }
    // The window must have the keyboard before the first key is timed.
    SetForegroundWindow(g_window);
    if (!tolvar_test::WaitFor([] { return GetForegroundWindow() == g_window; }, kWaitMs)) {
        fprintf(stderr, "the window never came to the foreground\n");
        return 1;
    }
    std::vector<double> warmUp;
    if (!MeasureKeys(5, warmUp)) {
        fprintf(stderr, "a key never arrived\n");
        return 1;
    }

    std::vector<double> us[kCases];
    // Per round: the hook's own cost beyond the empty hook over the mutex
    // alone, both from that round's medians (the slow spells of a shared
    // machine come and go between rounds).
    std::vector<double> roundRatios, inHookRatios;
    bool ok = true;
    for (int r = 0; r < rounds && ok; ++r) {
        size_t first[kCases];
        for (int c = 0; c < kCases; ++c)
            first[c] = us[c].size();
        ok = ok && MeasureKeys(kPerRound, us[kNoHook]);

        g_emptyHook = SetWindowsHookExA(WH_KEYBOARD, EmptyHook, GetModuleHandleA(nullptr), 0);
        ok = ok && g_emptyHook && MeasureKeys(kPerRound, us[kEmptyHook]);
        UnhookWindowsHookEx(g_emptyHook);

        g_mutexHook = SetWindowsHookExA(WH_KEYBOARD, MutexHook, GetModuleHandleA(nullptr), 0);
        ok = ok && g_mutexHook && MeasureKeys(kPerRound, us[kMutexHook]);
        UnhookWindowsHookEx(g_mutexHook);

        setHook();
        ok = ok && g_view->hookHandle;
        SetTable('Z', TV_MOD_ANY_MODIFIERS, 8);
        ok = ok && MeasureKeys(kPerRound, us[kMiss]);
        SetTable('B', TV_MOD_ANY_MODIFIERS, 8);
        ok = ok && MeasureKeys(kPerRound, us[kHit]);
        killHook();

        MeasureCalls(kPerRound * 10, false, us[kMutex]);
        MeasureCalls(kPerRound * 10, true, us[kMutexAndStates]);
        if (ok) {
            auto roundMedian = [&](int c) {
                return Summarise(std::vector<double>(us[c].begin() + first[c], us[c].end())).median;
            };
            const double mutex = roundMedian(kMutex);
            if (mutex > 0)
                roundRatios.push_back((roundMedian(kMiss) - roundMedian(kEmptyHook)) / mutex);
            const double mutexInHook = roundMedian(kMutexHook) - roundMedian(kEmptyHook);
            if (mutexInHook > 0)
                inHookRatios.push_back((roundMedian(kMiss) - roundMedian(kEmptyHook)) / mutexInHook);
        }
    }
    if (!ok) {
        fprintf(stderr, "a key never arrived, or a hook was not installed\n");
        return 1;
    }

    printf("%-40s %10s %10s   (microseconds; %d rounds of %d events per case, taking turns)\n",
           "case", "median", "p99", rounds, kPerRound);
    Figures f[kCases];
    for (int c = 0; c < kCases; ++c) {
        f[c] = Summarise(us[c]);
        printf("%-40s %10.1f %10.1f\n", kLabels[c], f[c].median, f[c].p99);
    }
    // Beyond what the platform charges for calling any hook, an event that
    // no entry watches should cost the hook its mutex and little more.
    const double own = f[kMiss].median - f[kEmptyHook].median;
    printf("added beyond an empty hook: %.1f us = %.2f x the mutex wait and release alone"
           " (%.2f x with six GetKeyState)\n",
           own, f[kMutex].median > 0 ? own / f[kMutex].median : 0.0,
           f[kMutexAndStates].median > 0 ? own / f[kMutexAndStates].median : 0.0);
    printf("the same per round (median of %zu rounds): %.2f x the mutex wait and release alone\n",
           roundRatios.size(), Summarise(roundRatios).median);
    const double inHook = f[kMutexHook].median - f[kEmptyHook].median;
    printf("the mutex wait and release inside a hook add %.1f us beyond an empty hook; the hook adds"
           " %.2f x that (per round: %.2f x)\n",
           inHook, inHook > 0 ? own / inHook : 0.0, Summarise(inHookRatios).median);
    const double added = f[kMiss].median - f[kNoHook].median;
    printf("added by the hook against no hook: %.1f us = %.2f x the mutex wait and release alone\n",
           added, f[kMutex].median > 0 ? added / f[kMutex].median : 0.0);

    SetEvent(g_stop);
    WaitForSingleObject(host, kWaitMs);
    PostMessageA(g_window, WM_CLOSE, 0, 0);
    return 0;
}
