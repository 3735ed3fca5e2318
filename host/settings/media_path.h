/*
 * media_path.h - the file an icon or sound path of the settings means.
 *
 * A relative path means a file in the program's folder or below it (the
 * "Icons" and "Sounds" folders beside Tolvar.exe), whichever folder the
 * program was started in: the Start menu, the Startup folder and a command
 * prompt each start it in another one. Full paths stay as they are.
 *
 * Platform-free, so that the rules are tested natively.
 */
#ifndef TOLVAR_HOST_MEDIA_PATH_H
#define TOLVAR_HOST_MEDIA_PATH_H

#include <string>

namespace tolvar {

// The full path of an icon or sound file, programFolder being the folder of
// Tolvar.exe ("C:\Tools\Tolvar" or "\\server\share\Tolvar", no trailing
// backslash):
//   "Icons\caps.ico"      -> programFolder\Icons\caps.ico
//   "\Icons\caps.ico"     -> the root of programFolder's drive or share
//   "C:\x.ico", "\\srv\s\x.ico" -> unchanged
// Empty (nothing to open: the key's default applies) for an empty path, and
// for paths that must not be opened as files: a device ("\\.\...", "\\?\...",
// or a last component that names a device, such as "CON" or "com1.wav") and
// a drive-relative path ("C:x.wav", which means the folder that drive's
// current folder happens to be).
std::string ResolveMediaPath(const std::string &path, const std::string &programFolder);

}  // namespace tolvar

#endif  // TOLVAR_HOST_MEDIA_PATH_H
