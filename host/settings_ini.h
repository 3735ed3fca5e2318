/*
 * settings_ini.h - the layout of Tolvar.ini and the rules for reading it.
 *
 * The file itself is read and written through the platform's profile API
 * (settings_file.cpp); this part decides which sections and values make up
 * the settings, what each value must look like, and when a file counts as
 * unreadable. A file is read as hostile: anything this program would never
 * have written (a missing header, a number out of range, a text longer than
 * its field) makes the whole file unreadable rather than half-taken.
 *
 *   [Tolvar]
 *   Version=1
 *   BeepOnly=0  Silent=0  NumLockOn=0  AddToStartup=0
 *   OnScreenDisplay=1  CapsLockDisplay=0  DisplayMilliseconds=1500
 *   Keys=3
 *   [Key1] ... [KeyN]
 *   Active=1  Code=0x14  Modifiers=0x80  Name="Caps Lock"  HasIcon=1
 *   HasOffState=1  SoundOn=""  SoundOff=""  IconOn=""  IconOff=""
 *
 * Texts are written in double quotes, which the profile API strips when it
 * reads them, so that leading and trailing blanks survive.
 */
#ifndef TOLVAR_HOST_SETTINGS_INI_H
#define TOLVAR_HOST_SETTINGS_INI_H

#include <string>
#include <utility>
#include <vector>

#include "host/settings.h"

namespace tolvar {

// One value of a profile file, as the profile API reads it: quotes around a
// value already stripped, blanks around it trimmed.
class ProfileReader {
public:
    virtual ~ProfileReader() {}
    // False when the section or the key does not exist.
    virtual bool Read(const std::string &section, const std::string &key,
                      std::string *value) const = 0;
};

// A section as written in one go: its lines "key=value", in order.
struct ProfileSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
};

// The sections that make up a settings file.
std::vector<ProfileSection> SettingsToProfile(const Settings &settings);

// Reads the settings. False (with a short reason) when the file is not one
// this program could have written; *settings is then untouched.
bool SettingsFromProfile(const ProfileReader &reader, Settings *settings, std::string *problem);

// A whole decimal or 0x-hexadecimal number in [0, limit].
bool ParseNumber(const std::string &text, unsigned long limit, unsigned long *value);

// The name under which an unreadable settings file is kept aside:
// "Tolvar.ini" becomes "Tolvar.unreadable.ini", then "Tolvar.unreadable-2.ini"
// and so on for attempt 2, 3, ...
std::string AsideName(const std::string &path, int attempt);

}  // namespace tolvar

#endif  // TOLVAR_HOST_SETTINGS_INI_H
