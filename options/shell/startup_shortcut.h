// startup_shortcut.h - the shortcut "Tolvar.lnk" to the host executable in
// the current user's Startup folder, so that the shell starts the host at
// log-on.
//
// Each operation initialises COM on the calling thread for its own duration
// and swallows any structured fault raised while it runs. Failures of the
// shell, COM, the save or the deletion are not reported.
#ifndef TOLVAR_SHELL_STARTUP_SHORTCUT_H
#define TOLVAR_SHELL_STARTUP_SHORTCUT_H

#include <windows.h>

namespace tolvar {

// The current user's Startup folder as a wide string on the process heap
// (the caller frees it with HeapFree(GetProcessHeap(), 0, ...)), or null.
// Expects COM to be initialised on the calling thread.
wchar_t *GetStartupFolder();

// Creates or overwrites the shortcut to the calling process's executable,
// working in the executable's folder, shown normally, with no arguments.
void CreateStartupShortcut();

// Deletes the shortcut file, if there is one.
void DeleteStartupShortcut();

// True when a file of the shortcut's name exists in the Startup folder.
bool StartupShortcutExists();

} // namespace tolvar

#endif // TOLVAR_SHELL_STARTUP_SHORTCUT_H
