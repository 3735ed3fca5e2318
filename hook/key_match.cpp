// The matching rule, the state rule and the table scan of the keyboard hook.
#include "hook/key_match.h"

namespace tolvar {

ModifierKeySet ModifierKeysFor(bool isNtPlatform)
{
    if (isNtPlatform)
        return ModifierKeySet{kVkLControl, kVkLMenu, kVkLShift, kVkRControl, kVkRMenu, kVkRShift};
    return ModifierKeySet{kVkControl, kVkMenu, kVkShift, 0, 0, 0};
}

bool IsSelfModifier(int32_t vk)
{
    return vk == kVkShift || vk == kVkControl || vk == kVkMenu;
}

bool IsLockKey(int32_t vk)
{
    return vk == kVkCapital || vk == kVkNumLock || vk == kVkScroll;
}

namespace {

// One of the six tests: the flag bit must equal the state unless exempt.
inline bool Passes(ModifierFlags flags, unsigned bit, bool held, bool exempt)
{
    return exempt || (((flags & bit) != 0) == held);
}

}  // namespace

bool EntryMatches(const KeyEvent &event, const ModifierStates &held,
                  bool isNtPlatform, int32_t keyCode, ModifierFlags modifiers)
{
    const int32_t vk = event.vk;
    if (keyCode != vk)
        return false;
    if (modifiers & TV_MOD_ANY_MODIFIERS)
        return true;

    const bool selfModifier = IsSelfModifier(vk);
    const bool wantRight = selfModifier && (modifiers & TV_MOD_RIGHT_SIDE_KEY) != 0;
    if (selfModifier) {
        // The right Shift key carries no extended flag: its hand is deduced
        // from the key states.
        const bool isRight = event.extended ||
                             (vk == kVkShift && !held.shiftHeld && held.rightShiftHeld);
        if (wantRight != isRight)
            return false;
    }

    // A watched modifier is not counted against its own bit: the left
    // (generic) bit for a left-hand entry, the right bit for a right-hand one,
    // and outside NT both for a right-hand entry.
    const bool leftExempt = !wantRight || !isNtPlatform;
    return Passes(modifiers, TV_MOD_CTRL, held.ctrlHeld, vk == kVkControl && leftExempt) &&
           Passes(modifiers, TV_MOD_SHIFT, held.shiftHeld, vk == kVkShift && leftExempt) &&
           Passes(modifiers, TV_MOD_ALT, held.altHeld, vk == kVkMenu && leftExempt) &&
           Passes(modifiers, TV_MOD_RIGHT_CTRL, held.rightCtrlHeld, vk == kVkControl && wantRight) &&
           Passes(modifiers, TV_MOD_RIGHT_SHIFT, held.rightShiftHeld, vk == kVkShift && wantRight) &&
           Passes(modifiers, TV_MOD_RIGHT_ALT, held.rightAltHeld, vk == kVkMenu && wantRight);
}

int32_t ReportedState(const KeyEvent &event, bool lockToggledOn)
{
    if (IsLockKey(event.vk))
        return lockToggledOn ? 1 : 0;
    return event.released ? 0 : 1;
}

uint32_t EntryCapacity(size_t viewBytes)
{
    if (viewBytes < TV_KEY_TABLE_OFFSET)
        return 0;
    const size_t entries = (viewBytes - TV_KEY_TABLE_OFFSET) / sizeof(KeyTableEntry);
    return entries > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<uint32_t>(entries);
}

namespace {

// Entries to scan: never past the end of the view, whatever entryCount claims.
inline uint32_t ScanLength(int32_t entryCount, uint32_t capacity)
{
    if (entryCount <= 0)
        return 0;
    return static_cast<uint32_t>(entryCount) < capacity ? static_cast<uint32_t>(entryCount)
                                                         : capacity;
}

}  // namespace

bool HasEntryForKey(const KeyTableEntry *table, int32_t entryCount, uint32_t capacity, int32_t vk)
{
    const uint32_t count = ScanLength(entryCount, capacity);
    for (uint32_t i = 0; i < count; ++i)
        if (table[i].keyCode == vk)
            return true;
    return false;
}

int32_t FindMatchingEntry(const KeyTableEntry *table, int32_t entryCount,
                          uint32_t capacity, const KeyEvent &event,
                          ReadModifierStates readStates, void *context, bool isNtPlatform)
{
    const uint32_t count = ScanLength(entryCount, capacity);
    const int32_t vk = event.vk;
    ModifierStates held = {};
    bool haveStates = false;
    for (uint32_t i = 0; i < count; ++i) {
        // The common case costs one comparison of key codes.
        if (table[i].keyCode != vk)
            continue;
        if (!haveStates) {
            held = readStates(context);
            haveStates = true;
        }
        if (EntryMatches(event, held, isNtPlatform, table[i].keyCode, table[i].modifiers))
            return static_cast<int32_t>(i);
    }
    return -1;
}

}  // namespace tolvar
