// TolvarHost.exe: the reference indicator host.
//
//   TolvarHost [--watch KEY[:MODS],...] [--demo]
//
// Creates the key-event channel with the watched keys (default: Caps Lock,
// Num Lock and Scroll Lock, each with AnyModifiers), loads TolvarEx.dll,
// installs the hook from its UI thread and shows every report in its window
// and on stdout. With --demo it presses each lock key twice itself, waits for
// the reports and exits (status 0 when every expected report arrived).
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "host/host_channel.h"
#include "host/host_window.h"
#include "host/watch_list.h"

using namespace tolvar;

namespace {

struct HostState {
    HWND window = nullptr;
    volatile LONG reports = 0;
};

void OnReport(const Report &report, void *context)
{
    HostState *state = static_cast<HostState *>(context);
    printf("report: %s\n", ReportText(report.keyCode, report.modifiers, report.state).c_str());
    fflush(stdout);
    PostReport(state->window, report);
    InterlockedIncrement(&state->reports);
}

void SendKey(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (vk == VK_NUMLOCK ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof input);
}

struct DemoEvent {
    WORD vk;
    bool up;
};

// Each lock key tapped twice, so that its toggle state ends where it began.
const DemoEvent kDemo[] = {
    {VK_CAPITAL, false}, {VK_CAPITAL, true}, {VK_CAPITAL, false}, {VK_CAPITAL, true},
    {VK_NUMLOCK, false}, {VK_NUMLOCK, true}, {VK_NUMLOCK, false}, {VK_NUMLOCK, true},
    {VK_SCROLL, false},  {VK_SCROLL, true},  {VK_SCROLL, false},  {VK_SCROLL, true},
};

int Usage()
{
    fprintf(stderr, "usage: TolvarHost [--watch KEY[:MODS],...] [--demo]\n"
                    "  KEY and MODS are decimal or 0x-hex; default watch list: 0x14:0x80,0x90:0x80,0x91:0x80\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    bool demo = false;
    std::vector<KeyTableEntry> table = DefaultWatchList();
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--demo") == 0)
            demo = true;
        else if (strcmp(argv[i], "--watch") == 0 && i + 1 < argc && ParseWatchList(argv[i + 1], &table))
            ++i;
        else
            return Usage();
    }

    // The channel must exist before the library loads: its attach opens it.
    HostChannel channel;
    if (!channel.Create(table)) {
        fprintf(stderr, "TolvarHost: cannot create the key-event channel (is another host running?)\n");
        return 1;
    }

    HostState state;
    state.window = CreateHostWindow(GetModuleHandleA(nullptr));
    if (!state.window) {
        fprintf(stderr, "TolvarHost: cannot create the window\n");
        return 1;
    }
    ShowWindow(state.window, SW_SHOWNORMAL);
    UpdateWindow(state.window);
    SetForegroundWindow(state.window);
    SetFocus(state.window);

    // Reports are answered on a thread of our own that receives no keyboard
    // input; the UI thread keeps pumping messages.
    ReportListener listener;
    HookLibrary hook;
    if (!listener.Start(&channel, OnReport, &state) || !hook.Load()) {
        fprintf(stderr, "TolvarHost: cannot load TolvarEx.dll (error %lu)\n", GetLastError());
        return 1;
    }
    hook.SetHook();
    if (!channel.block()->hookHandle) {
        fprintf(stderr, "TolvarHost: the keyboard hook could not be installed\n");
        hook.Unload();
        return 1;
    }
    printf("TolvarHost: watching %u key(s); hook installed\n", static_cast<unsigned>(table.size()));
    fflush(stdout);

    LONG expected = 0;
    for (const DemoEvent &e : kDemo)
        for (const KeyTableEntry &entry : table)
            if (entry.keyCode == e.vk) {
                ++expected;
                break;
            }
    size_t demoStep = 0;
    const DWORD demoDeadline = GetTickCount() + 120000;
    if (demo)
        SetTimer(nullptr, 0, 300, nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (demo && msg.message == WM_TIMER && msg.hwnd == nullptr) {
            if (demoStep < sizeof kDemo / sizeof kDemo[0]) {
                SetForegroundWindow(state.window);
                SendKey(kDemo[demoStep].vk, kDemo[demoStep].up);
                ++demoStep;
            } else if (state.reports >= expected ||
                       static_cast<LONG>(GetTickCount() - demoDeadline) > 0) {
                DestroyWindow(state.window);
            }
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    // The hook goes before the objects it uses.
    hook.KillHook();
    listener.Stop();
    hook.Unload();
    channel.Close();
    if (demo) {
        printf("demo: %ld of %ld expected reports received\n", state.reports, expected);
        return state.reports >= expected ? 0 : 1;
    }
    return 0;
}
