// shortcut_paths.h - the text parts of the Startup shortcut. Platform-free.
#ifndef TOLVAR_SHELL_SHORTCUT_PATHS_H
#define TOLVAR_SHELL_SHORTCUT_PATHS_H

#include <cstddef>

namespace tolvar {

// The shortcut's file name, appended to the Startup folder's path.
constexpr const char kShortcutFileSuffix[] = "\\Tolvar.lnk";

// Length of the working folder of a shortcut to the executable at exePath:
// the path up to, not including, its last backslash; 0 when it has none.
// A folder that is a drive's root keeps its backslash ("C:\"), since "C:"
// alone would name the drive's current folder instead.
size_t WorkingFolderLength(const wchar_t *exePath);

} // namespace tolvar

#endif // TOLVAR_SHELL_SHORTCUT_PATHS_H
