/*
 * program_paths.h - where Tolvar.exe finds itself, its libraries, its
 * settings and the paths on its command line.
 *
 * The system is asked in UTF-16 (the wide calls), so a folder named in any
 * language is found as it is. The libraries and the companion are started
 * from those wide paths. The settings file, the log and the messages go
 * through calls that take text in the process's ANSI code page; they get
 * the path's usable ANSI form (common/ansi_path.h): the exact text where
 * the code page is UTF-8 (as the program's manifest asks) or holds every
 * letter, else the short (8.3) form of its existing folders.
 */
#ifndef TOLVAR_HOST_PROGRAM_PATHS_H
#define TOLVAR_HOST_PROGRAM_PATHS_H

#include <string>
#include <vector>

namespace tolvar {

// The folder of Tolvar.exe, without a trailing backslash.
std::wstring ProgramFolderW();
// A file beside Tolvar.exe.
std::wstring BesideProgramW(const wchar_t *name);

// The usable ANSI form of a full path. Without one, *usable (when given) is
// false and the result is the nearest text (letters the code page lacks
// shown as "?"): good for naming the path in a message, not for opening it.
std::string AnsiPath(const std::wstring &path, bool *usable = nullptr);

// The same places in their usable ANSI form.
std::string ProgramFolder();
std::string BesideProgram(const char *name);

// An absolute form of a path in the ANSI code page.
std::string FullPath(const std::string &path);
std::wstring FullPathW(const std::wstring &path);

// Tolvar.ini beside the program if its folder is writable, else under the
// user's application data ("...\Tolvar\Tolvar.ini", the folder made if
// missing); *usable as for AnsiPath.
std::string DefaultSettingsPath(bool *usable = nullptr);

// The arguments after the program's name, as the system holds them.
std::vector<std::wstring> ProgramArguments();

// Text between UTF-16 and UTF-8, which hold every letter.
std::string Utf8(const std::wstring &text);
std::wstring FromUtf8(const std::string &text);

}  // namespace tolvar

#endif  // TOLVAR_HOST_PROGRAM_PATHS_H
