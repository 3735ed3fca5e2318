/*
 * settings_file.h - Tolvar.ini on disk, through the platform's profile API.
 *
 * The file lives beside Tolvar.exe when that folder is writable (portable
 * use), else in the user's application-data folder. Saving never leaves a
 * half-written file behind: the new settings go into a file of their own,
 * are read back and flushed, and only then replace the old file in one
 * rename. A file that cannot be read is renamed aside, never deleted.
 */
#ifndef TOLVAR_HOST_SETTINGS_FILE_H
#define TOLVAR_HOST_SETTINGS_FILE_H

#include <string>

#include "host/program_paths.h"  // where the file lives
#include "host/settings.h"

namespace tolvar {

struct SettingsLoad {
    enum Kind { kLoaded, kNoFile, kUnreadable } kind = kNoFile;
    std::string problem;    // kUnreadable: what was wrong
    std::string asidePath;  // kUnreadable: where the file is now; empty if it could not be moved
};
SettingsLoad LoadSettingsFile(const std::string &path, Settings *settings);

// False, with a reason for the user, when the settings could not be saved;
// the file on disk is then the old one.
bool SaveSettingsFile(const std::string &path, const Settings &settings, std::string *error);

}  // namespace tolvar

#endif  // TOLVAR_HOST_SETTINGS_FILE_H
