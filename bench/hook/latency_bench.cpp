// Latency a keyboard event pays for the installed hook, under Wine.
//
//   cd <win32 build>/bin && wine hook_latency_bench.exe [events per case]
//
// Times SendInput -> WM_KEYDOWN in a window of this process (on a thread of
// its own) with no hook, with the hook and nothing matching, and with the
// hook and a match answered at once by a host thread, and with an empty hook
// of this program's own (the platform's cost of calling any hook); then the
// time of the calls the hook procedure must make for every event (mutex wait
// and release, six GetKeyState) alone. Prints median and p99 in microseconds.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "tolvar/tolvar_host.h"

namespace {

const DWORD kMappingBytes = 4096;
HANDLE g_mutex, g_match, g_ready, g_stop;
KeyEventChannel *g_view;
HWND g_window;
HANDLE g_keyDown;
LARGE_INTEGER g_arrived;
double g_ticksPerUs;

LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_KEYDOWN) {
        QueryPerformanceCounter(&g_arrived);
        SetEvent(g_keyDown);
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
    KeyTableEntry *t = reinterpret_cast<KeyTableEntry *>(reinterpret_cast<char *>(g_view) + 20);
    for (int i = 0; i < count; ++i) {
        t[i].keyCode = i == count - 1 ? keyCode : 0x100 + i;
        t[i].modifiers = modifiers;
    }
    g_view->entryCount = count;
    ReleaseMutex(g_mutex);
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

// SendInput -> WM_KEYDOWN for `events` presses of 'B' (each followed by its
// release, which is not timed).
Figures MeasureKeys(int events)
{
    std::vector<double> us;
    SetForegroundWindow(g_window);
    Sleep(200);
    for (int i = 0; i < events + 5; ++i) {
        ResetEvent(g_keyDown);
        LARGE_INTEGER t0;
        QueryPerformanceCounter(&t0);
        Send('B', false);
        if (WaitForSingleObject(g_keyDown, 60000) != WAIT_OBJECT_0) {
            fprintf(stderr, "key %d never arrived\n", i);
            exit(1);
        }
        if (i >= 5)  // the first few warm up caches and code paths
            us.push_back((g_arrived.QuadPart - t0.QuadPart) / g_ticksPerUs);
        Send('B', true);
        Sleep(2);
    }
    return Summarise(us);
}

// A keyboard hook that does nothing but hand the event on: what the
// platform charges for calling any hook procedure at all.
HHOOK g_emptyHook;
LRESULT CALLBACK EmptyHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(g_emptyHook, code, wParam, lParam);
}

// The calls the hook procedure makes for every event, alone.
Figures MeasureMandatoryCalls(int rounds)
{
    static const int keys[6] = {VK_LCONTROL, VK_LMENU, VK_LSHIFT, VK_RCONTROL, VK_RMENU, VK_RSHIFT};
    std::vector<double> us;
    volatile int sink = 0;
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        WaitForSingleObject(g_mutex, INFINITE);
        for (int k : keys)
            sink = sink + GetKeyState(k);
        ReleaseMutex(g_mutex);
        QueryPerformanceCounter(&t1);
        us.push_back((t1.QuadPart - t0.QuadPart) / g_ticksPerUs);
    }
    return Summarise(us);
}

}  // namespace

int main(int argc, char **argv)
{
    const int events = argc > 1 ? atoi(argv[1]) : 200;
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
    if (!g_view || !g_mutex || !g_match || !g_ready) {
        fprintf(stderr, "cannot create the channel\n");
        return 1;
    }
    memset(g_view, 0, 20);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CreateThread(nullptr, 0, UiThread, ready, 0, nullptr);
    WaitForSingleObject(ready, 60000);
    HANDLE host = CreateThread(nullptr, 0, HostThread, nullptr, 0, nullptr);

    HMODULE dll = LoadLibraryA("TolvarEx.dll");
    TvHookProc setHook = dll ? reinterpret_cast<TvHookProc>(GetProcAddress(dll, "SetHook")) : nullptr;
    TvHookProc killHook = dll ? reinterpret_cast<TvHookProc>(GetProcAddress(dll, "KillHook")) : nullptr;
    if (!setHook || !killHook) {
        fprintf(stderr, "cannot load TolvarEx.dll\n");
        return 1;
    }

    printf("%-40s %10s %10s   (microseconds, %d events each)\n", "case", "median", "p99", events);
    const Figures none = MeasureKeys(events);
    printf("%-40s %10.1f %10.1f\n", "no hook", none.median, none.p99);

    g_emptyHook = SetWindowsHookExA(WH_KEYBOARD, EmptyHook, GetModuleHandleA(nullptr), 0);
    const Figures empty = MeasureKeys(events);
    UnhookWindowsHookEx(g_emptyHook);
    printf("%-40s %10.1f %10.1f\n", "empty hook (CallNextHookEx only)", empty.median, empty.p99);

    setHook();
    SetTable('Z', TV_MOD_ANY_MODIFIERS, 8);
    const Figures miss = MeasureKeys(events);
    printf("%-40s %10.1f %10.1f\n", "hook, 8 entries, none matching", miss.median, miss.p99);

    SetTable('B', TV_MOD_ANY_MODIFIERS, 8);
    const Figures hit = MeasureKeys(events);
    printf("%-40s %10.1f %10.1f\n", "hook, match (host answers at once)", hit.median, hit.p99);
    killHook();

    const Figures calls = MeasureMandatoryCalls(events * 10);
    printf("%-40s %10.1f %10.1f\n", "mutex wait+release, 6 GetKeyState", calls.median, calls.p99);
    const double added = miss.median - none.median;
    printf("added by the hook (median, no match): %.1f us = %.2f x its mandatory calls\n", added,
           calls.median > 0 ? added / calls.median : 0.0);
    // The same without what the platform charges for calling any hook.
    const double own = miss.median - empty.median;
    printf("added beyond an empty hook: %.1f us = %.2f x its mandatory calls\n", own,
           calls.median > 0 ? own / calls.median : 0.0);

    SetEvent(g_stop);
    WaitForSingleObject(host, 60000);
    PostMessageA(g_window, WM_CLOSE, 0, 0);
    return 0;
}
