// The settings model and its conversions to the libraries' records.
#include "host/settings/settings.h"

#include <string.h>

#include "common/virtual_keys.h"

namespace tolvar {

namespace {

KeySetting LockKey(int32_t keyCode, const char *name)
{
    KeySetting key;
    key.keyCode = keyCode;
    key.modifiers = TV_MOD_ANY_MODIFIERS;
    key.name = name;
    key.hasIcon = true;
    key.hasOffState = true;
    return key;
}

// Copies text into a fixed field of size bytes, cut to fit, terminated.
void CopyField(char *field, size_t size, const std::string &text)
{
    const size_t n = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(field, text.data(), n);
    field[n] = '\0';
}

std::string ReadField(const char *field, size_t size)
{
    const void *end = memchr(field, '\0', size);
    const size_t n = end ? static_cast<size_t>(static_cast<const char *>(end) - field) : size;
    return std::string(field, n);
}

}  // namespace

bool KeySetting::operator==(const KeySetting &o) const
{
    return active == o.active && keyCode == o.keyCode && modifiers == o.modifiers &&
           name == o.name && soundOnPath == o.soundOnPath && soundOffPath == o.soundOffPath &&
           iconOnPath == o.iconOnPath && iconOffPath == o.iconOffPath && hasIcon == o.hasIcon &&
           hasOffState == o.hasOffState && shown == o.shown;
}

bool Settings::operator==(const Settings &o) const
{
    return beepOnly == o.beepOnly && silent == o.silent && numLockOn == o.numLockOn &&
           addToStartup == o.addToStartup && showDisplay == o.showDisplay &&
           displayMs == o.displayMs && display == o.display && keys == o.keys;
}

Settings DefaultSettings()
{
    Settings s;
    s.keys.push_back(LockKey(kVkCapital, "Caps Lock"));
    s.keys.push_back(LockKey(kVkNumLock, "Num Lock"));
    s.keys.push_back(LockKey(kVkScroll, "Scroll Lock"));
    return s;
}

bool IsToggleKeyCode(int32_t keyCode)
{
    return keyCode == kVkCapital || keyCode == kVkNumLock || keyCode == kVkScroll;
}

bool HasToggleState(const KeySetting &key)
{
    return key.hasOffState || IsToggleKeyCode(key.keyCode);
}

KeyItem ToKeyItem(const KeySetting &key)
{
    KeyItem item;
    memset(&item, 0, sizeof item);
    item.active = key.active ? 1 : 0;
    item.keyCode = key.keyCode;
    item.modifiers = key.modifiers;
    CopyField(item.keyName, sizeof item.keyName, key.name);
    CopyField(item.soundOnPath, sizeof item.soundOnPath, key.soundOnPath);
    CopyField(item.soundOffPath, sizeof item.soundOffPath, key.soundOffPath);
    CopyField(item.iconOnPath, sizeof item.iconOnPath, key.iconOnPath);
    CopyField(item.iconOffPath, sizeof item.iconOffPath, key.iconOffPath);
    item.hasIcon = key.hasIcon ? 1 : 0;
    item.hasOffState = key.hasOffState ? 1 : 0;
    return item;
}

KeySetting FromKeyItem(const KeyItem &item)
{
    KeySetting key;
    key.active = item.active != 0;
    key.keyCode = item.keyCode;
    key.modifiers = item.modifiers;
    key.name = ReadField(item.keyName, sizeof item.keyName);
    key.soundOnPath = ReadField(item.soundOnPath, sizeof item.soundOnPath);
    key.soundOffPath = ReadField(item.soundOffPath, sizeof item.soundOffPath);
    key.iconOnPath = ReadField(item.iconOnPath, sizeof item.iconOnPath);
    key.iconOffPath = ReadField(item.iconOffPath, sizeof item.iconOffPath);
    key.hasIcon = item.hasIcon != 0;
    key.hasOffState = item.hasOffState != 0;
    return key;
}

bool NormalizeKey(KeySetting *key)
{
    auto fit = [](std::string *text, size_t maxLength) {
        if (text->size() > maxLength)
            text->resize(maxLength);
        for (char &ch : *text)
            if (static_cast<unsigned char>(ch) < 0x20)
                ch = ' ';
    };
    fit(&key->name, kMaxKeyNameLength);
    fit(&key->soundOnPath, kMaxPathLength);
    fit(&key->soundOffPath, kMaxPathLength);
    fit(&key->iconOnPath, kMaxPathLength);
    fit(&key->iconOffPath, kMaxPathLength);
    return key->keyCode >= 1 && key->keyCode <= 255;
}

size_t KeysFromItems(const void *items, size_t count, std::vector<KeySetting> *keys)
{
    keys->clear();
    const char *bytes = static_cast<const char *>(items);
    size_t i = 0;
    for (; i < count && keys->size() < kMaxKeys; ++i) {
        KeyItem item;
        memcpy(&item, bytes + i * sizeof item, sizeof item);
        KeySetting key = FromKeyItem(item);
        if (NormalizeKey(&key))
            keys->push_back(key);
    }
    return count - i;
}

KeyCollectionHeader ToHeader(const Settings &settings)
{
    KeyCollectionHeader header;
    memset(&header, 0, sizeof header);
    header.beepOnly = settings.beepOnly ? 1 : 0;
    header.silent = settings.silent ? 1 : 0;
    header.numLockOn = settings.numLockOn ? 1 : 0;
    header.addToStartup = settings.addToStartup ? 1 : 0;
    header.itemCount = static_cast<uint32_t>(settings.keys.size());
    return header;
}

void TakeSwitches(const KeyCollectionHeader &header, Settings *settings)
{
    settings->beepOnly = header.beepOnly != 0;
    settings->silent = header.silent != 0;
    settings->numLockOn = header.numLockOn != 0;
    settings->addToStartup = header.addToStartup != 0;
}

namespace {

KeyTableEntry MakeEntry(int32_t keyCode, uint8_t modifiers)
{
    KeyTableEntry entry;
    memset(&entry, 0, sizeof entry);
    entry.keyCode = keyCode;
    entry.modifiers = modifiers;
    return entry;
}

bool HasAnyModifiersEntry(const std::vector<KeyTableEntry> &table, int32_t keyCode)
{
    for (const KeyTableEntry &entry : table)
        if (entry.keyCode == keyCode && entry.modifiers == TV_MOD_ANY_MODIFIERS)
            return true;
    return false;
}

}  // namespace

void TakeKeyDisplays(const Settings &from, Settings *to)
{
    std::vector<bool> used(from.keys.size(), false);
    for (KeySetting &key : to->keys) {
        for (size_t i = 0; i < from.keys.size(); ++i) {
            const KeySetting &old = from.keys[i];
            if (!used[i] && old.keyCode == key.keyCode && old.modifiers == key.modifiers) {
                used[i] = true;
                key.shown = old.shown;
                break;
            }
        }
    }
}

void CarryKeyDisplays(const Settings &before, Settings *after)
{
    for (KeySetting &key : after->keys)
        key.shown = KeyDisplay();
    TakeKeyDisplays(before, after);
}

std::vector<int32_t> TrackedLockKeys(const Settings &settings)
{
    std::vector<int32_t> codes;
    for (int i = 0; i < kLockKeys; ++i)
        if (settings.display.stays[i] != Stays::kNever)
            codes.push_back(kLockKeyCodes[i]);
    return codes;
}

std::vector<KeyTableEntry> BuildKeyTable(const Settings &settings, size_t capacity,
                                         const std::vector<int32_t> &trackedLocks)
{
    std::vector<KeyTableEntry> table;
    for (const KeySetting &key : settings.keys)
        if (key.active)
            table.push_back(MakeEntry(key.keyCode, key.modifiers));
    std::vector<int32_t> locks;
    for (int32_t code : trackedLocks)
        if (locks.size() < capacity && !HasAnyModifiersEntry(table, code))
            locks.push_back(code);
    const size_t room = capacity - locks.size();
    if (table.size() > room)
        table.resize(room);
    const size_t keys = table.size();
    for (size_t i = 0; i < keys && table.size() < room; ++i) {
        const int32_t keyCode = table[i].keyCode;
        if (!IsToggleKeyCode(keyCode) && !HasAnyModifiersEntry(table, keyCode))
            table.push_back(MakeEntry(keyCode, TV_MOD_ANY_MODIFIERS));
    }
    for (int32_t code : locks)
        table.push_back(MakeEntry(code, TV_MOD_ANY_MODIFIERS));
    return table;
}

int FindReportedKey(const Settings &settings, int32_t keyCode, uint8_t modifiers)
{
    for (size_t i = 0; i < settings.keys.size(); ++i) {
        const KeySetting &key = settings.keys[i];
        if (key.active && key.keyCode == keyCode && key.modifiers == modifiers)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<size_t> KeysOfReport(const Settings &settings, int32_t keyCode, uint8_t modifiers,
                                 int32_t state)
{
    std::vector<size_t> keys;
    const bool release = state == 0 && !IsToggleKeyCode(keyCode);
    for (size_t i = 0; i < settings.keys.size(); ++i) {
        const KeySetting &key = settings.keys[i];
        if (key.active && key.keyCode == keyCode && (release || key.modifiers == modifiers))
            keys.push_back(i);
    }
    if (!release && keys.size() > 1)
        keys.resize(1);  // the first key of the entry, as FindReportedKey
    return keys;
}

}  // namespace tolvar
