/*
 * key_match.h - the matching rule of the keyboard hook, as pure functions.
 *
 * The hook procedure gathers its inputs (the event's virtual-key code, two
 * bits of lParam, the platform kind, and a way to read the six modifier
 * states with GetKeyState when an entry needs them) and hands them here;
 * nothing in this file touches the platform, so the rule is exercised
 * natively under sanitizers.
 */
#ifndef TOLVAR_HOOK_KEY_MATCH_H
#define TOLVAR_HOOK_KEY_MATCH_H

#include <stddef.h>
#include <stdint.h>

#include "common/virtual_keys.h"
#include "tolvar/tolvar_host.h"

namespace tolvar {

// One key event as the WH_KEYBOARD hook sees it.
struct KeyEvent {
    int32_t vk;     // wParam
    bool extended;  // lParam bit 24
    bool released;  // lParam bit 31 (transition state)
};

// The six modifier states; "held" is the high bit of GetKeyState.
struct ModifierStates {
    bool ctrlHeld;
    bool altHeld;
    bool shiftHeld;
    bool rightCtrlHeld;
    bool rightAltHeld;
    bool rightShiftHeld;
};

// Which virtual key feeds each of the six states, in the order of the fields
// of ModifierStates. Outside the NT family the right-hand states have no key
// (0) and are never held.
struct ModifierKeySet {
    int32_t ctrl, alt, shift, rightCtrl, rightAlt, rightShift;
};
ModifierKeySet ModifierKeysFor(bool isNtPlatform);

// Builds the lParam bits the rule looks at.
inline KeyEvent MakeKeyEvent(int32_t vk, uint32_t lParam)
{
    return KeyEvent{vk, (lParam & (1u << 24)) != 0, (lParam & (1u << 31)) != 0};
}

bool IsSelfModifier(int32_t vk);
bool IsLockKey(int32_t vk);

// True when a table entry {keyCode, modifiers} matches the event.
bool EntryMatches(const KeyEvent &event, const ModifierStates &held,
                  bool isNtPlatform, int32_t keyCode, ModifierFlags modifiers);

// The value a report carries: a lock key's toggle bit (lockToggledOn, read
// only when the key is a lock key), otherwise 1 for a press or auto-repeat
// and 0 for a release.
int32_t ReportedState(const KeyEvent &event, bool lockToggledOn);

// How many whole entries fit in a view of viewBytes bytes after the header.
uint32_t EntryCapacity(size_t viewBytes);

// Gives the six modifier states of the event being scanned.
using ReadModifierStates = ModifierStates (*)(void *context);

// Scans table[0 .. min(entryCount, capacity)) in order and returns the index
// of the first matching entry, or -1. entryCount is signed: 0 or negative
// means an empty table. The modifier states matter only for an entry with
// the event's key code: readStates(context) is called once, at the first
// such entry, and not at all when there is none. No allocation; the scan
// itself calls nothing out of this file.
// True when some entry of table[0 .. min(entryCount, capacity)) has the key
// code vk: the only events that can match. The hook asks this first, without
// the channel mutex, so that a key no entry watches never waits on the
// channel; only then does it take the mutex and scan again under it. A table
// being rewritten meanwhile is read torn at worst, which only decides whether
// to take the mutex. Nothing but comparisons.
bool HasEntryForKey(const KeyTableEntry *table, int32_t entryCount, uint32_t capacity, int32_t vk);

int32_t FindMatchingEntry(const KeyTableEntry *table, int32_t entryCount,
                          uint32_t capacity, const KeyEvent &event,
                          ReadModifierStates readStates, void *context, bool isNtPlatform);

}  // namespace tolvar

#endif  // TOLVAR_HOOK_KEY_MATCH_H
