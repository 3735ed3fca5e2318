// The reference host's window.
#include "host/host_window.h"

#include "host/watch_list.h"

namespace tolvar {

namespace {

const char kClassName[] = "TolvarHostWindow";
const int kListId = 1;

// Icon resource of a lock key's state, or 0 for other keys.
WORD IconIdFor(int32_t keyCode, int32_t state)
{
    WORD base = 0;
    switch (keyCode) {
    case 0x14: base = 2000; break;
    case 0x90: base = 3000; break;
    case 0x91: base = 4000; break;
    default: return 0;
    }
    return static_cast<WORD>(base + (state ? 0 : 1));
}

void OnCommand(HWND window, UINT id)
{
    switch (id) {
    case kCmdExit:
        DestroyWindow(window);
        break;
    default:
        break;
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: {
        HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0,
                                    0, 0, window, reinterpret_cast<HMENU>(kListId),
                                    reinterpret_cast<CREATESTRUCTA *>(lParam)->hInstance, nullptr);
        SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        return 0;
    }
    case WM_SIZE:
        MoveWindow(GetDlgItem(window, kListId), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return 0;
    case kMsgReport: {
        const int32_t keyCode = static_cast<int32_t>(wParam);
        const uint8_t modifiers = static_cast<uint8_t>(lParam & 0xFF);
        const int32_t state = static_cast<int32_t>(lParam >> 8);
        AppendReportLine(window, ReportText(keyCode, modifiers, state).c_str());
        if (WORD icon = IconIdFor(keyCode, state)) {
            HICON h = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icon));
            if (h) {
                SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(h));
                SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(h));
            }
        }
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, msg, wParam, lParam);
    }
}

}  // namespace

HWND CreateHostWindow(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(2001));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc))
        return nullptr;
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kCmdExit, "E&xit");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    return CreateWindowExA(0, kClassName, "Tolvar reference host", WS_OVERLAPPEDWINDOW, 100, 100,
                           420, 300, nullptr, bar, instance, nullptr);
}

void PostReport(HWND window, const Report &report)
{
    PostMessageA(window, kMsgReport, static_cast<WPARAM>(report.keyCode),
                 static_cast<LPARAM>(report.modifiers) | (static_cast<LPARAM>(report.state) << 8));
}

void AppendReportLine(HWND window, const char *text)
{
    HWND list = GetDlgItem(window, kListId);
    const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0)
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace tolvar
