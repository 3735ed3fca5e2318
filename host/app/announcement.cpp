// The screen reader's words for an indication.
#include "host/app/announcement.h"

namespace tolvar {

std::string AnnouncementText(const KeySetting &key, int32_t state)
{
    std::string text;
    for (char ch : key.name)
        text += static_cast<unsigned char>(ch) < 0x20 ? ' ' : ch;
    if (HasToggleState(key))
        return text + (state ? " on" : " off");
    return text + " pressed";
}

}  // namespace tolvar
