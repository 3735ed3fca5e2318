// dialog_objects.cpp - the two library-wide dialog objects. They are made on
// first use (the options entry, or a dialog procedure that receives a message
// first) and live until the library detaches.
#include "options/frame/dialog_objects.h"

#include <windows.h>
#include <new>

#include "options/about/about_window.h"
#include "options/dialog/options_dialog.h"

namespace tolvar {

namespace {
// Read by a second entry call on another thread while the first one runs
// the dialog, hence volatile; created and destroyed on one thread at a time
// (the entry guards see to that).
OptionsDialog *volatile g_optionsDialog = nullptr;
AboutWindow *volatile g_aboutWindow = nullptr;
} // namespace

OptionsDialog *GetOptionsDialog()
{
    if (!g_optionsDialog)
        g_optionsDialog = new (std::nothrow) OptionsDialog();
    return g_optionsDialog;
}

AboutWindow *GetAboutWindow()
{
    if (!g_aboutWindow)
        g_aboutWindow = new (std::nothrow) AboutWindow();
    return g_aboutWindow;
}

OptionsDialog *ExistingOptionsDialog()
{
    return g_optionsDialog;
}

AboutWindow *ExistingAboutWindow()
{
    return g_aboutWindow;
}

void DestroyDialogObjects()
{
    // The pointers are cleared only after the objects are gone: destroying the
    // About window's window sends it messages that reach the object through
    // its accessor, which must not make a new one at this point.
    if (AboutWindow *about = g_aboutWindow) {
        delete about;
        g_aboutWindow = nullptr;
    }
    if (OptionsDialog *options = g_optionsDialog) {
        delete options;
        g_optionsDialog = nullptr;
    }
}

} // namespace tolvar
