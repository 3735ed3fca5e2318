/*
 * settings_file.h - Tolvar.ini on disk: reading it (settings_load.cpp) and
 * saving it (settings_save.cpp).
 *
 * The file lives beside Tolvar.exe when that folder is writable (portable
 * use), else in the user's application-data folder. Saving never leaves a
 * half-written file behind: the new settings go into a file of their own,
 * are flushed and read back, and only then replace the old file in one
 * rename. A file that cannot be read is renamed aside, never deleted.
 */
#ifndef TOLVAR_HOST_SETTINGS_FILE_H
#define TOLVAR_HOST_SETTINGS_FILE_H

#include <string>

#include "host/app/program_paths.h"  // where the file lives
#include "host/settings/settings.h"

namespace tolvar {

// Reading at start. Besides the settings file, a save leaves its new
// settings in "<file>.new" until they replace the old file; a start that
// finds that file (a save cut short: on FAT drives, such as most USB
// sticks, replacing a file is a delete and a rename, and a power cut in
// between leaves only the new file) takes it when it was written to its
// end and no readable settings file is there, and else keeps it aside.
// Nothing found is ever deleted: what cannot be used is renamed aside,
// and a file read with a loss (more keys than the program keeps, letters
// the code page lacks) is copied aside as it was.
struct SettingsLoad {
    bool fromFile = false;  // *settings came from a file, else they are untouched
    bool maySave = true;    // false: saving would overwrite what could not be moved aside
    std::string notice;     // for the user, or empty
};
SettingsLoad LoadSettingsFile(const std::string &path, Settings *settings);

// False, with a reason for the user, when the settings could not be saved;
// the file on disk is then the old one. Fails at once on a read-only file,
// and after at most a fraction of a second while another program has the
// file open: it runs on the window's thread, and the caller keeps the
// settings to save them later.
bool SaveSettingsFile(const std::string &path, const Settings &settings, std::string *error);

}  // namespace tolvar

#endif  // TOLVAR_HOST_SETTINGS_FILE_H
