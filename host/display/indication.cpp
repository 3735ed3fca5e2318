// The rules behind one indication.
#include "host/display/indication.h"

#include <stdio.h>

#include "common/virtual_keys.h"

namespace tolvar {

bool ShouldIndicate(const KeySetting &key, int32_t previousState, int32_t reportedState)
{
    const int32_t state = reportedState ? 1 : 0;
    if (HasToggleState(key))
        return state != previousState;
    return state == 1 && previousState != 1;
}

int DefaultIconId(int32_t keyCode, bool on)
{
    int base = 0;
    switch (keyCode) {
    case kVkCapital: base = 2000; break;
    case kVkNumLock: base = 3000; break;
    case kVkScroll: base = 4000; break;
    default: return 0;
    }
    return on ? base : base + 1;
}

IconChoice ChooseIcon(const KeySetting &key, bool on)
{
    IconChoice choice;
    choice.resourceId = 0;
    if (!key.hasIcon)
        return choice;
    choice.file = on ? key.iconOnPath : key.iconOffPath;
    choice.resourceId = DefaultIconId(key.keyCode, on);
    if (!choice.resourceId)
        choice.resourceId = kProgramIconId;
    return choice;
}

SoundChoice ChooseSound(const Settings &settings, const KeySetting &key, bool on)
{
    SoundChoice choice;
    choice.resourceId = on ? kSoundOnId : kSoundOffId;
    if (settings.silent) {
        choice.kind = SoundChoice::kSilent;
    } else if (settings.beepOnly) {
        choice.kind = SoundChoice::kBeep;
    } else {
        choice.file = on ? key.soundOnPath : key.soundOffPath;
        choice.kind = choice.file.empty() ? SoundChoice::kResource : SoundChoice::kFile;
    }
    return choice;
}

std::string ResourceText(int resourceId)
{
    return resourceId ? "res:" + std::to_string(resourceId) : "none";
}

std::string FormatLogLine(uint32_t ms, int32_t keyCode, uint8_t modifiers, int32_t state,
                          const std::string &name, const std::string &shown,
                          const std::string &played)
{
    char head[64];
    snprintf(head, sizeof head, "%u 0x%02X 0x%02X %d ", static_cast<unsigned>(ms),
             static_cast<unsigned>(keyCode) & 0xFFu, static_cast<unsigned>(modifiers),
             state ? 1 : 0);
    std::string line = head;
    line += '"';
    // One indication, one line: no control character may break it.
    for (char ch : name)
        line += static_cast<unsigned char>(ch) < 0x20 ? ' ' : ch;
    line += "\" icon=" + shown + " sound=" + played + "\r\n";
    return line;
}

std::string TooltipText(const std::string &name, bool on, size_t capacity)
{
    const std::string suffix = on ? ": on" : ": off";
    if (capacity <= suffix.size() + 1)
        return std::string();
    const size_t room = capacity - 1 - suffix.size();
    return (name.size() > room ? name.substr(0, room) : name) + suffix;
}

}  // namespace tolvar
