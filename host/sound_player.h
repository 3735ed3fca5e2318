/*
 * sound_player.h - the sound of one indication, started and left playing:
 * the call returns at once. The hook has been answered before it runs.
 */
#ifndef TOLVAR_HOST_SOUND_PLAYER_H
#define TOLVAR_HOST_SOUND_PLAYER_H

#include <windows.h>

#include <string>

#include "host/indication.h"

namespace tolvar {

// Plays the choice (a file that does not exist falls back to the program's
// resource sound) and returns what was played, for the log: a path,
// "res:<id>", "beep" or "silent".
std::string PlayIndicationSound(const SoundChoice &choice, HINSTANCE program);

}  // namespace tolvar

#endif  // TOLVAR_HOST_SOUND_PLAYER_H
