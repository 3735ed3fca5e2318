// Indication sounds.
#include "host/sound_player.h"

#include <mmsystem.h>

namespace tolvar {

std::string PlayIndicationSound(const SoundChoice &choice, HINSTANCE program)
{
    switch (choice.kind) {
    case SoundChoice::kSilent:
        return "silent";
    case SoundChoice::kBeep:
        MessageBeep(0xFFFFFFFF);
        return "beep";
    case SoundChoice::kFile: {
        const DWORD attributes = GetFileAttributesA(choice.file.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            PlaySoundA(choice.file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
            return choice.file;
        }
        break;  // gone since it was chosen: the default sound instead
    }
    case SoundChoice::kResource:
        break;
    }
    PlaySoundA(MAKEINTRESOURCEA(choice.resourceId), program, SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
    return ResourceText(choice.resourceId);
}

}  // namespace tolvar
