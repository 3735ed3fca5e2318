/* latency_target.exe / latency_target64.exe - a program that notes when each
 * key reaches it, for key_latency_bench.exe.
 *
 * A window of its own; for every WM_KEYDOWN and WM_KEYUP its thread takes,
 * it stores the performance counter (one clock for every process of the
 * machine) in a mapping named "TolvarLatencyTarget-<process id>":
 *   LONGLONG lastKeyDown; LONG keyDowns; LONG keyUps;
 * and sets the auto-reset events "TolvarLatencyTarget-<process id>-down" and
 * "...-up".
 * Built as a 32-bit and as a 64-bit program; "x y" on the command line place
 * its window. Closes on WM_CLOSE. */
#include <stdio.h>
#include <windows.h>

typedef struct Arrivals {
    volatile LONGLONG lastKeyDown;
    volatile LONG keyDowns;
    volatile LONG keyUps;
} Arrivals;

static Arrivals *arrivals;
static HANDLE downEvent, upEvent;

static LRESULT CALLBACK TargetProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LARGE_INTEGER now;
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        QueryPerformanceCounter(&now);
        arrivals->lastKeyDown = now.QuadPart;
        InterlockedIncrement(&arrivals->keyDowns);
        SetEvent(downEvent);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        InterlockedIncrement(&arrivals->keyUps);
        SetEvent(upEvent);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, msg, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmd, int show)
{
    WNDCLASSA wc = {0};
    HWND window;
    MSG msg;
    HANDLE mapping;
    char name[64];
    int x = 600, y = 300;
    if (cmd)
        sscanf(cmd, "%d %d", &x, &y);
    sprintf(name, "TolvarLatencyTarget-%lu", GetCurrentProcessId());
    mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(Arrivals), name);
    arrivals = mapping ? (Arrivals *)MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0) : NULL;
    if (!arrivals)
        return 1;
    sprintf(name, "TolvarLatencyTarget-%lu-down", GetCurrentProcessId());
    downEvent = CreateEventA(NULL, FALSE, FALSE, name);
    sprintf(name, "TolvarLatencyTarget-%lu-up", GetCurrentProcessId());
    upEvent = CreateEventA(NULL, FALSE, FALSE, name);
    if (!downEvent || !upEvent)
        return 1;
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "TolvarLatencyTarget";
    if (!RegisterClassA(&wc))
        return 1;
    window = CreateWindowExA(0, wc.lpszClassName, sizeof(void *) == 8 ? "64-bit latency target" : "latency target",
                             WS_OVERLAPPEDWINDOW, x, y, 260, 80, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
