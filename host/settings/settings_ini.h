/*
 * settings_ini.h - the layout of Tolvar.ini and the rules for reading it.
 *
 * The file itself is read and written by settings_load.cpp and
 * settings_save.cpp (with the rules of ini_text.h); this part decides which sections and values make up the
 * settings, what each value must look like, and when a file counts as
 * unreadable. A file is read as hostile: anything this program would never
 * have written (a missing header, a number out of range, a text longer than
 * its field) makes the whole file unreadable rather than half-taken.
 *
 *   [Tolvar]
 *   Version=1
 *   BeepOnly=0  Silent=0  NumLockOn=0  AddToStartup=0
 *   OnScreenDisplay=1  DisplayMilliseconds=1500
 *   CapsLockDisplay=0  NumLockDisplay=0  ScrollLockDisplay=0   (Stays)
 *   Keys=3
 *   [Display]                      (a file without it takes the defaults)
 *   Monitor=0  Anchor=7  OffsetX=0  OffsetY=-12  Dragged=0  UntilNextKey=0
 *   Size=1  Opacity=94  Theme=0  Fade=1  HideInFullScreen=1  Announce=0
 *   Splash=1  StackCorner=8  Places=1
 *   Place1Layout="..."  Place1X=5000  Place1Y=10000
 *   [Key1] ... [KeyN]
 *   Active=1  Code=0x14  Modifiers=0x80  Name="Caps Lock"  HasIcon=1
 *   HasOffState=1  SoundOn=""  SoundOff=""  IconOn=""  IconOff=""
 *   DisplayOn=1  DisplayOff=1  SoundOnState=1  SoundOffState=1  Tray=0
 *
 * Choices are stored as the numbers of their enumerations
 * (display_settings.h); a value that is missing keeps its default.
 *
 * Texts are written in double quotes, which a reader of profile files strips
 * when it reads them, so that leading and trailing blanks survive. A saved
 * file ends with the comment line kSettingsEndLine: every reader skips it,
 * and a file that has it was written to its end.
 */
#ifndef TOLVAR_HOST_SETTINGS_INI_H
#define TOLVAR_HOST_SETTINGS_INI_H

#include <stddef.h>

#include <string>
#include <vector>

#include "host/settings/ini_text.h"
#include "host/settings/settings.h"

namespace tolvar {

// The sections that make up a settings file.
std::vector<ProfileSection> SettingsToProfile(const Settings &settings);

// The whole text of a saved settings file, ending with kSettingsEndLine.
extern const char kSettingsEndLine[];
std::string SettingsFileText(const Settings &settings);
// True when the text ends with kSettingsEndLine (and line ends or blanks):
// a file this program saved, written to its end.
bool EndsAsSaved(const std::string &text);

// Reads the settings. False (with a short reason) when the file is not one
// this program could have written; *settings is then untouched. A file may
// name more keys than the program keeps (kMaxKeys): the first kMaxKeys are
// read, and *keysLeftOut tells how many more the file names.
bool SettingsFromProfile(const ProfileReader &reader, Settings *settings, std::string *problem,
                         size_t *keysLeftOut = nullptr);

// A whole decimal or 0x-hexadecimal number in [0, limit].
bool ParseNumber(const std::string &text, unsigned long limit, unsigned long *value);

// The name under which a settings file is kept aside, the tag saying why
// (such as "unreadable"): "Tolvar.ini" becomes "Tolvar.unreadable.ini", then
// "Tolvar.unreadable-2.ini" and so on for attempt 2, 3, ...
std::string AsideName(const std::string &path, const char *tag, int attempt);

}  // namespace tolvar

#endif  // TOLVAR_HOST_SETTINGS_INI_H
