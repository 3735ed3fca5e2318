// tolvar_settings.h - Tolvar.exe's settings file as a test writes it, and
// the program's on-screen displays as a test finds them.
#ifndef TOLVAR_TESTS_SUPPORT_TOLVAR_SETTINGS_H
#define TOLVAR_TESTS_SUPPORT_TOLVAR_SETTINGS_H

#include <windows.h>

#include <string>
#include <vector>

namespace tolvar_test {

// One watched key's section.
struct Key {
    const char *code, *modifiers, *name;
    std::string soundOn, iconOn;
    bool lockKey;
    std::string more;  // further lines of its section
};

// Caps Lock, Num Lock and Scroll Lock, as a first start writes them.
std::vector<Key> DefaultKeys();

// A settings file as the program writes it, with these lines of its
// [Tolvar] and its [Display] sections.
std::string Ini(const std::vector<Key> &keys, const std::string &switches = "", const std::string &display = "");

// The window names of the displays.
extern const char kIndicationDisplay[];
extern const char kCapsLockDisplay[];

// Where the visible displays of that name are on screen.
std::vector<RECT> DisplaysShown(const char *name);
// Whether a display of that name is on screen, and where (the first).
bool DisplayShown(const char *name, RECT *place = nullptr);

} // namespace tolvar_test

#endif
