// ansi_path.h - a path the program knows in full (UTF-16, from the system's
// wide calls) in a form that calls taking text in the process's ANSI code
// page accept.
//
// Where the process runs with UTF-8 as its ANSI code page (the program's
// manifest asks for it; Windows 10 1903 and later honour it) every path has
// its exact form. Elsewhere a folder named in letters outside the code page
// ("C:\Users\Дмитрий" on a Western system) has none; its short (8.3) name,
// which the file system keeps in plain letters, then stands in for it. Only
// a part that exists has a short name: of a file still to be made, the
// existing folders are shortened and the new name must convert as it is.
//
// Platform-free: the conversion and the short-name look-up are handed in.
#ifndef TOLVAR_COMMON_ANSI_PATH_H
#define TOLVAR_COMMON_ANSI_PATH_H

#include <cstddef>

namespace tolvar {

class AnsiPathSystem {
public:
    // text in the ANSI code page into out (size bytes with the NUL); false
    // when a character has no exact form there or the result does not fit.
    virtual bool ToAnsi(const wchar_t *text, char *out, size_t size) = 0;
    // The short form of an existing file or folder into out (size units with
    // the NUL); false when the path does not exist or the form does not fit.
    virtual bool ShortForm(const wchar_t *path, wchar_t *out, size_t size) = 0;

protected:
    ~AnsiPathSystem() = default;
};

// The longest path this rule builds, in UTF-16 units.
constexpr size_t kAnsiPathMaxUnits = 1024;

// Writes into out (size bytes) the path's exact form in the ANSI code page,
// or else the short form of its longest existing leading part followed by
// the rest; false when neither converts or fits (out is then empty).
bool UsableAnsiPath(const wchar_t *path, AnsiPathSystem &system, char *out, size_t size);

} // namespace tolvar

#endif // TOLVAR_COMMON_ANSI_PATH_H
