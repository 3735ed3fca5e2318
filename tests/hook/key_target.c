/* hook_key_target.exe - a second process that receives keys.
 *
 * A top-level window (class "TolvarKeyTarget") with an edit control that
 * keeps the keyboard focus. The hook library is injected into this process
 * when a key reaches it; tests read the edit's text back to see that keys
 * arrive unchanged. Closes on WM_CLOSE. */
#include <windows.h>

#define EDIT_ID 1

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
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "TolvarKeyTarget";
    if (!RegisterClassA(&wc))
        return 1;
    window = CreateWindowExA(0, wc.lpszClassName, "key target", WS_OVERLAPPEDWINDOW, 520, 100, 300,
                             80, NULL, NULL, instance, NULL);
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
