// library.cpp - library-wide helpers shared by the options library's dialogs.
#include "options/frame/library.h"

#include <cstdio>

#include "options/frame/window_placement.h"

namespace tolvar {

namespace {
HINSTANCE g_moduleInstance = nullptr;
} // namespace

HINSTANCE ModuleInstance()
{
    return g_moduleInstance ? g_moduleInstance : GetModuleHandleA(nullptr);
}

void RememberModuleInstance(HINSTANCE instance)
{
    g_moduleInstance = instance;
}

bool IsNtPlatform()
{
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info; // the 148-byte form
    if (!GetVersionExA(&info))
        return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

int ShowWarning(HWND owner, UINT stringId)
{
    char text[256];
    if (LoadStringA(ModuleInstance(), stringId, text, sizeof text) <= 0)
        text[0] = '\0';
    return MessageBoxA(owner, text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

int ShowWarningAbout(HWND owner, UINT stringId, const char *subject)
{
    char format[256];
    if (LoadStringA(ModuleInstance(), stringId, format, sizeof format) <= 0)
        format[0] = '\0';
    // The format comes from our own string table and takes one string.
    char text[600];
    std::snprintf(text, sizeof text, format, subject ? subject : "");
    return MessageBoxA(owner, text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void CenterWindow(HWND window)
{
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;

    int refWidth, refHeight;
    if (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) {
        HWND parent = GetParent(window);
        if (!parent)
            parent = GetDesktopWindow();
        RECT parentRect;
        if (!GetWindowRect(parent, &parentRect))
            return;
        refWidth = parentRect.right - parentRect.left;
        refHeight = parentRect.bottom - parentRect.top;
    } else {
        refWidth = GetSystemMetrics(SM_CXSCREEN);
        refHeight = GetSystemMetrics(SM_CYSCREEN);
    }

    WindowOrigin origin = CenteredOrigin(refWidth, refHeight, width, height);
    SetWindowPos(window, HWND_TOP, origin.x, origin.y, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(window);
}

void ShowHelp()
{
    // The help system finds the file; a missing file is its to report.
    WinHelpA(nullptr, "Tolvar.hlp", HELP_CONTENTS, 0);
}

} // namespace tolvar
