// ansi_path_win32.h - the program's own paths for the calls that take text
// in the process's ANSI code page (see ansi_path.h for the rule).
#ifndef TOLVAR_COMMON_ANSI_PATH_WIN32_H
#define TOLVAR_COMMON_ANSI_PATH_WIN32_H

#include <windows.h>

#include <cstddef>

namespace tolvar {

// UsableAnsiPath with the system's conversion (exact only: no best-fit
// letters, no default character) and its short names.
bool SystemAnsiPath(const wchar_t *path, char *out, size_t size);

// The full path of a module of this process (null: its executable), read
// wide (GetModuleFileNameW, never cut short) into out (size units); false
// when it does not fit.
bool ModulePathWide(HMODULE module, wchar_t *out, size_t size);

// The same path in its usable ANSI form (SystemAnsiPath).
bool ModulePathAnsi(HMODULE module, char *out, size_t size);

} // namespace tolvar

#endif // TOLVAR_COMMON_ANSI_PATH_WIN32_H
