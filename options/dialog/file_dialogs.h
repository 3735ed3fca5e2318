// file_dialogs.h - the open/save file dialogs of the options library: picking
// an icon or sound for a path field, and a scheme file for Load.../Save....
//
// Each builds a filter list from the library's string table, starts in the
// folder of the current path (or in "Icons", "Sounds" or "Schemes" beside the
// host executable when the path names no folder) and runs the platform's
// common dialog. Win32 only.
#ifndef TOLVAR_DIALOG_FILE_DIALOGS_H
#define TOLVAR_DIALOG_FILE_DIALOGS_H

#include <windows.h>

namespace tolvar {

// Asks for an icon (sound = false) or sound (sound = true) file to open.
// path holds the current path on entry (the initial file name) and the chosen
// full path on success; length is its capacity in characters. True when the
// user chose a file.
bool PromptMediaFile(char *path, HWND owner, bool sound, int length, const char *title);

// Asks for a scheme file (".tvs") to open (open = true) or to save as.
bool PromptSchemeFile(char *path, HWND owner, int length, const char *title, bool open);

// Writes the filter list "<type text formatted with extension>\0*.<ext>\0
// <All Files>\0*.*\0\0" into out, which must hold at least 264 bytes.
// typeTextId is a string id of the options library with one "%s".
void BuildFileFilter(char *out, UINT typeTextId, const char *extension);

// Runs the open (open = true) or save-as common dialog. folderSuffix (such as
// "\\Icons\\") is appended to the host executable's folder to form the initial
// folder when path names no folder. True when the platform call succeeded.
bool RunFileDialog(char *path, HWND owner, int length, const char *title, const char *filter,
                   int filterIndex, const char *defaultExtension, const char *folderSuffix,
                   bool open);

} // namespace tolvar

#endif // TOLVAR_DIALOG_FILE_DIALOGS_H
