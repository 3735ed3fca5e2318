// library.h - library-wide helpers of Tolvar.dll: the module handle, the
// platform check, warnings, dialog placement and the help file.
#ifndef TOLVAR_FRAME_LIBRARY_H
#define TOLVAR_FRAME_LIBRARY_H

#include <windows.h>

namespace tolvar {

// The library's module handle, remembered at attach. Every dialog, string,
// icon and bitmap of the library is loaded from it. Before attach (or in a
// test program that links the frame sources directly) it is the handle of
// the process's main module.
HINSTANCE ModuleInstance();
void RememberModuleInstance(HINSTANCE instance);

// True when GetVersionExA (with the 148-byte OSVERSIONINFOA) reports
// VER_PLATFORM_WIN32_NT.
bool IsNtPlatform();

// Loads string stringId of the library (at most 255 characters) and shows it
// in a message box owned by owner, with the default caption and
// MB_OK | MB_ICONEXCLAMATION. Returns the message box's result.
int ShowWarning(HWND owner, UINT stringId);

// The same for a string with one "%s", which names subject (a file's path).
int ShowWarningAbout(HWND owner, UINT stringId, const char *subject);

// Places a dialog centred horizontally and a third of the free height down,
// at the top of the z-order, and brings it to the foreground. A child window
// is placed within its parent's window size, any other within the screen.
void CenterWindow(HWND window);

// Opens the help file "Tolvar.hlp" at its contents.
void ShowHelp();

} // namespace tolvar

#endif // TOLVAR_FRAME_LIBRARY_H
