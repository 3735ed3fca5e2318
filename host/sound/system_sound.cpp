// winmm.dll's PlaySoundA, loaded from the system folder on first use.
#include "host/sound/system_sound.h"

#include "host/app/dll_search.h"

namespace tolvar {

namespace {

typedef BOOL(WINAPI *PlaySoundProc)(LPCSTR, HMODULE, DWORD);

PlaySoundProc LoadPlaySound()
{
    return FindExport<PlaySoundProc>(LoadSystemLibrary(L"winmm.dll"), "PlaySoundA");
}

}  // namespace

BOOL PlaySystemSound(LPCSTR sound, HMODULE module, DWORD flags)
{
    // Loaded once, by whichever thread plays first, and kept.
    static const PlaySoundProc play = LoadPlaySound();
    return play ? play(sound, module, flags) : FALSE;
}

}  // namespace tolvar
