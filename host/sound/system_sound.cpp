// winmm.dll's PlaySoundA, loaded from the system folder on first use.
#include "host/sound/system_sound.h"

#include <string>

namespace tolvar {

namespace {

typedef BOOL(WINAPI *PlaySoundProc)(LPCSTR, HMODULE, DWORD);

PlaySoundProc LoadPlaySound()
{
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    HMODULE winmm = LoadLibraryW((std::wstring(folder) + L"\\winmm.dll").c_str());
    return winmm ? reinterpret_cast<PlaySoundProc>(
                       reinterpret_cast<void *>(GetProcAddress(winmm, "PlaySoundA")))
                 : nullptr;
}

}  // namespace

BOOL PlaySystemSound(LPCSTR sound, HMODULE module, DWORD flags)
{
    // Loaded once, by whichever thread plays first, and kept.
    static const PlaySoundProc play = LoadPlaySound();
    return play ? play(sound, module, flags) : FALSE;
}

}  // namespace tolvar
