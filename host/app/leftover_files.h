/*
 * leftover_files.h - copies of Tolvar's program files that an update or an
 * uninstall had to set aside because another process still held them.
 *
 * When Tolvar exits, a 32-bit program that typed keys while it ran keeps
 * TolvarEx.dll mapped until that program next handles a message (the same
 * for TolvarEx64.dll in 64-bit programs). A mapped file can be renamed, but
 * not overwritten or deleted. The installer therefore renames such a file
 * to "<name>.<number>.old" in the same folder and installs the new one
 * beside it; Tolvar removes those copies at its next start, when nothing
 * holds them any more (one still held stays until a later start).
 */
#ifndef TOLVAR_HOST_LEFTOVER_FILES_H
#define TOLVAR_HOST_LEFTOVER_FILES_H

#include <string>

namespace tolvar {

// True for a file name the installer gives a set-aside program file:
// one of Tolvar's program files, a dot, a number, ".old" (any letter case).
// Platform-free, so that the rule is tested natively.
bool IsSetAsideProgramFile(const std::string &fileName);

// Deletes the set-aside copies in folder; a copy that cannot be deleted
// (still held) is left for the next start, silently.
void RemoveSetAsideProgramFiles(const std::wstring &folder);

}  // namespace tolvar

#endif  // TOLVAR_HOST_LEFTOVER_FILES_H
