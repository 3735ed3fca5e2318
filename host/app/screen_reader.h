/*
 * screen_reader.h - indications told to screen readers, as UI Automation
 * notifications raised on the program's hidden window.
 *
 * UI Automation raises a notification for an element, so the window has a
 * minimal one: it answers WM_GETOBJECT for the window with a provider that
 * has the program's name and stands on the window's own. The library is
 * loaded from the system folder on the first announcement; where it or its
 * notification call is missing (before Windows 10 version 1709, Wine) or
 * fails, nothing is said and nothing else changes.
 */
#ifndef TOLVAR_HOST_SCREEN_READER_H
#define TOLVAR_HOST_SCREEN_READER_H

#include <windows.h>

#include <string>

namespace tolvar {

class WindowElement;

class ScreenReader {
public:
    ~ScreenReader();
    // Says text (UTF-8) for window's element; false when it could not.
    bool Announce(HWND window, const std::string &text);
    // The window procedure's answer to WM_GETOBJECT.
    LRESULT OnGetObject(HWND window, WPARAM wParam, LPARAM lParam);
    // Before the window goes: the system lets go of the element.
    void Stop(HWND window);

private:
    bool Load();
    bool tried_ = false;
    HMODULE automation_ = nullptr;
    HMODULE automationTypes_ = nullptr;
    WindowElement *element_ = nullptr;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_SCREEN_READER_H
