/*
 * indication.h - what Tolvar.exe does with one report of the hook library:
 * whether it is worth showing, which icon and which sound belong to it, and
 * the line that --log writes for it.
 *
 * The hook reports presses, auto-repeats and releases alike. A toggle key
 * (a lock key, or any key with an off state) is indicated whenever its
 * reported state differs from the one last shown: the hook may see a lock
 * key's new state on the press or only on the release, and either way the
 * user sees one indication per change. Any other key is indicated when it
 * goes down; its auto-repeats and its release change nothing visible.
 *
 * Platform-free, so that the rules are tested natively.
 */
#ifndef TOLVAR_HOST_INDICATION_H
#define TOLVAR_HOST_INDICATION_H

#include <stdint.h>

#include <string>

#include "host/settings/settings.h"

namespace tolvar {

// Resource ids of the program.
const int kProgramIconId = 1;
const int kSoundOnId = 106;
const int kSoundOffId = 107;

// previousState: the state last shown for the key, or -1 when none was.
bool ShouldIndicate(const KeySetting &key, int32_t previousState, int32_t reportedState);

// The icon resource of a lock key's state (2000/2001 Caps Lock, 3000/3001
// Num Lock, 4000/4001 Scroll Lock), or 0 for any other key.
int DefaultIconId(int32_t keyCode, bool on);

// The icon of a key's state: its own file when set, else a resource (the
// lock key's default, or the program's icon for other keys with an icon).
// Keys without an icon have neither.
struct IconChoice {
    std::string file;  // tried first when not empty
    int resourceId;    // used when there is no file or it does not load; 0: none
};
IconChoice ChooseIcon(const KeySetting &key, bool on);

struct SoundChoice {
    enum Kind { kSilent, kBeep, kFile, kResource };
    Kind kind;
    std::string file;  // kFile; played from the resource instead when missing
    int resourceId;    // kResource, and the fallback of kFile
};
SoundChoice ChooseSound(const Settings &settings, const KeySetting &key, bool on);

// What a log line says was shown or played: a path, "res:<id>", "none",
// "beep" or "silent".
std::string ResourceText(int resourceId);

// One line of --log, with its line end:
// <ms> 0x<key> 0x<modifiers> <state> "<name>" icon=<shown> sound=<played>
std::string FormatLogLine(uint32_t msSinceStart, int32_t keyCode, uint8_t modifiers,
                          int32_t state, const std::string &name, const std::string &shown,
                          const std::string &played);

// The tray icon's tooltip, such as "Caps Lock: on", cut to fit a tooltip of
// capacity bytes with its terminator.
std::string TooltipText(const std::string &name, bool on, size_t capacity);

}  // namespace tolvar

#endif  // TOLVAR_HOST_INDICATION_H
