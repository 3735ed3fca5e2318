/*
 * display_window.h - the Display window: where, how long and how the
 * on-screen display shows, the indicators that stay, and what each watched
 * key shows, as a dialog box of the program's own (IDD_DISPLAY).
 *
 * It edits a draft of the settings. Every change is shown at once through
 * the preview call, and OK or Apply hand the draft over; Cancel, Escape or
 * the end of the program end the preview and leave the settings as they
 * were last applied. The window is modal on the program's UI thread, as the
 * options dialog is, and only one is open at a time.
 */
#ifndef TOLVAR_HOST_DISPLAY_WINDOW_H
#define TOLVAR_HOST_DISPLAY_WINDOW_H

#include <windows.h>

#include <functional>

#include "host/settings/settings.h"

namespace tolvar {

struct DisplayWindowCalls {
    // The settings in effect.
    std::function<const Settings &()> current;
    // Shows the draft's look and place on screen, for as long as the window
    // is open; the display may tell the window of a place dragged to.
    std::function<void(const Settings &draft, HWND window)> preview;
    std::function<void()> endPreview;
    // The message the preview sends the window when a place was dragged
    // to (lParam: const DraggedPlace *).
    UINT placeDragged = 0;
    // Puts the draft's choices into effect and saves them.
    std::function<void(const Settings &draft)> apply;
};

// Opens the window over owner and returns once it is closed; when one is
// open already, brings that one to the front and returns at once.
void RunDisplayWindow(HINSTANCE instance, HWND owner, const DisplayWindowCalls &calls);

// The open window, or null.
HWND FindDisplayWindow();

}  // namespace tolvar

#endif  // TOLVAR_HOST_DISPLAY_WINDOW_H
