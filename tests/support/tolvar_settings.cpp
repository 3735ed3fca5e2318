// tolvar_settings.cpp - settings files for Tolvar.exe, its displays found.
#include "tolvar_settings.h"

namespace tolvar_test {

const char kIndicationDisplay[] = "Tolvar";
const char kCapsLockDisplay[] = "Tolvar Caps Lock";

std::vector<Key> DefaultKeys()
{
    return {{"0x14", "0x80", "Caps Lock", "", "", true, ""},
            {"0x90", "0x80", "Num Lock", "", "", true, ""},
            {"0x91", "0x80", "Scroll Lock", "", "", true, ""}};
}

std::string Ini(const std::vector<Key> &keys, const std::string &switches, const std::string &display)
{
    std::string text = "[Tolvar]\r\nVersion=1\r\n" + switches + "Keys=" + std::to_string(keys.size()) + "\r\n";
    for (size_t i = 0; i < keys.size(); ++i) {
        const Key &k = keys[i];
        text += "[Key" + std::to_string(i + 1) + "]\r\nCode=" + k.code + "\r\nModifiers=" + k.modifiers +
                "\r\nName=\"" + k.name + "\"\r\nSoundOn=\"" + k.soundOn + "\"\r\nIconOn=\"" + k.iconOn +
                "\"\r\nHasIcon=" + (k.lockKey ? "1" : "0") + "\r\nHasOffState=" + (k.lockKey ? "1" : "0") +
                "\r\n" + k.more;
    }
    return display.empty() ? text : text + "[Display]\r\n" + display;
}

std::vector<RECT> DisplaysShown(const char *name)
{
    // Hidden displays of the same name may come first in the search.
    std::vector<RECT> places;
    HWND display = nullptr;
    RECT place;
    while ((display = FindWindowExA(nullptr, display, "TolvarDisplay", name)))
        if (IsWindowVisible(display) && GetWindowRect(display, &place))
            places.push_back(place);
    return places;
}

bool DisplayShown(const char *name, RECT *place)
{
    const std::vector<RECT> places = DisplaysShown(name);
    if (!places.empty() && place)
        *place = places[0];
    return !places.empty();
}

} // namespace tolvar_test
