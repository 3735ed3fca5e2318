/*
 * options_library.h - Tolvar.dll as the program uses it: loaded once,
 * InitDLL called once, its entries called by their place in the table.
 */
#ifndef TOLVAR_HOST_OPTIONS_LIBRARY_H
#define TOLVAR_HOST_OPTIONS_LIBRARY_H

#include <windows.h>

#include <string>

#include "tolvar/tolvar_host.h"

namespace tolvar {

class OptionsLibrary {
public:
    ~OptionsLibrary() { Unload(); }
    // False with a reason for the user when the library is missing, does
    // not load, or hands out no entry table of the expected size.
    bool Load(const std::wstring &path, std::string *error);
    bool available() const { return table_ != nullptr; }

    // Each runs a modal dialog on the calling thread and returns when it
    // has closed (at once, when that dialog is already open).
    void ShowOptions(HWND parent, void *context, LoadSettingsProc load, SaveSettingsProc save);
    void ShowAbout(HWND parent);
    void ShowSplash(HWND parent);
    // Never while one of those dialogs runs: the window procedure that
    // would call it runs inside their modal loops, and the library's code
    // is on the stack below it. The program unloads once its own message
    // loop has ended.
    void Unload();

private:
    HMODULE module_ = nullptr;
    const OptionsEntryTable *table_ = nullptr;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_OPTIONS_LIBRARY_H
