// The reference host's watched keys and report text.
#include "host/watch_list.h"

#include <stdio.h>
#include <stdlib.h>

namespace tolvar {

namespace {

KeyTableEntry Entry(int32_t keyCode, uint8_t modifiers)
{
    KeyTableEntry e{};
    e.keyCode = keyCode;
    e.modifiers = modifiers;
    return e;
}

// A whole decimal or 0x-hexadecimal number in [0, limit].
bool ParseNumber(const std::string &text, unsigned long limit, unsigned long *value)
{
    if (text.empty() || text.size() > 10)
        return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    for (size_t i = hex ? 2 : 0; i < text.size(); ++i) {
        const char ch = text[i];
        const bool digit = ch >= '0' && ch <= '9';
        const bool hexDigit = (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
        if (!digit && !(hex && hexDigit))
            return false;
    }
    if (hex && text.size() == 2)
        return false;
    const unsigned long v = strtoul(text.c_str(), nullptr, hex ? 16 : 10);
    if (v > limit)
        return false;
    *value = v;
    return true;
}

}  // namespace

std::vector<KeyTableEntry> DefaultWatchList()
{
    return {Entry(0x14, TV_MOD_ANY_MODIFIERS), Entry(0x90, TV_MOD_ANY_MODIFIERS),
            Entry(0x91, TV_MOD_ANY_MODIFIERS)};
}

bool ParseWatchList(const std::string &text, std::vector<KeyTableEntry> *out)
{
    std::vector<KeyTableEntry> entries;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(start, end - start);
        const size_t colon = item.find(':');
        unsigned long key = 0, mods = 0;
        if (!ParseNumber(item.substr(0, colon), 255, &key) || key == 0)
            return false;
        if (colon != std::string::npos && !ParseNumber(item.substr(colon + 1), 255, &mods))
            return false;
        entries.push_back(Entry(static_cast<int32_t>(key), static_cast<uint8_t>(mods)));
        start = end + 1;
    }
    *out = entries;
    return true;
}

std::string KeyLabel(int32_t keyCode)
{
    switch (keyCode) {
    case 0x14: return "Caps Lock";
    case 0x90: return "Num Lock";
    case 0x91: return "Scroll Lock";
    case 0x10: return "Shift";
    case 0x11: return "Ctrl";
    case 0x12: return "Alt";
    default: break;
    }
    char buf[32];
    if ((keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z'))
        snprintf(buf, sizeof buf, "%c", static_cast<char>(keyCode));
    else
        snprintf(buf, sizeof buf, "key 0x%02X", static_cast<unsigned>(keyCode));
    return buf;
}

std::string ReportText(int32_t keyCode, uint8_t modifiers, int32_t state)
{
    char buf[96];
    snprintf(buf, sizeof buf, "%s [mods 0x%02X] %s", KeyLabel(keyCode).c_str(),
             static_cast<unsigned>(modifiers), state ? "on" : "off");
    return buf;
}

}  // namespace tolvar
