/*
 * system_sound.h - PlaySoundA of the system's own winmm.dll.
 *
 * winmm.dll is not among the libraries the system always takes from its
 * own folder, and a library the program imports is looked for beside the
 * program first, before the program can restrict the search (dll_search.h).
 * So the program does not import it: the first sound loads it from the
 * system folder by full path.
 */
#ifndef TOLVAR_HOST_SYSTEM_SOUND_H
#define TOLVAR_HOST_SYSTEM_SOUND_H

#include <windows.h>

namespace tolvar {

// As PlaySoundA; FALSE when winmm.dll cannot be loaded.
BOOL PlaySystemSound(LPCSTR sound, HMODULE module, DWORD flags);

}  // namespace tolvar

#endif  // TOLVAR_HOST_SYSTEM_SOUND_H
