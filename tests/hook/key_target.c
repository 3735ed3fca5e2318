/* hook_key_target.exe - a second process that receives keys.
 *
 * A top-level window (class "TolvarKeyTarget") with an edit control that
 * keeps the keyboard focus. The hook library is injected into this process
 * when a key reaches it; tests read the edit's text back to see that keys
 * arrive unchanged, and ask for a lock key's toggle state as this process
 * sees it (message WM_APP + 7, wParam: the key; the result: 1 on, 0 off).
 * Closes on WM_CLOSE. Built as a 32-bit and as a 64-bit program
 * (hook_key_target64.exe); "x y" on the command line place its window. */
#include <stdio.h>
#include <windows.h>

#define EDIT_ID 1
#define MSG_TOGGLE_STATE (WM_APP + 7)

static LRESULT CALLBACK TargetProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 4, 4, 280, 24, window,
                        (HMENU)EDIT_ID, ((CREATESTRUCTA *)lParam)->hInstance, NULL);
        return 0;
    case WM_SETFOCUS:
        SetFocus(GetDlgItem(window, EDIT_ID));
        return 0;
    case MSG_TOGGLE_STATE:
        return GetKeyState((int)wParam) & 1;
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
    int x = 520, y = 100;
    if (cmd)
        sscanf(cmd, "%d %d", &x, &y);
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "TolvarKeyTarget";
    if (!RegisterClassA(&wc))
        return 1;
    window = CreateWindowExA(0, wc.lpszClassName, sizeof(void *) == 8 ? "64-bit key target" : "key target",
                             WS_OVERLAPPEDWINDOW, x, y, 300, 80, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        /* Alt with a letter makes the edit enter the window menu's keyboard
         * mode, in which Wine syncs its key state with the X server's and
         * releases the Alt key that the test still holds: not dispatched. */
        if (msg.message == WM_SYSCHAR)
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
