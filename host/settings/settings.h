/*
 * settings.h - what Tolvar.exe keeps between runs: the watched keys and the
 * switches, and how they turn into the records the two libraries read (the
 * KeyItems of the options dialog, the KeyTable of the hook library).
 *
 * Platform-free, so that the rules are tested natively.
 */
#ifndef TOLVAR_HOST_SETTINGS_H
#define TOLVAR_HOST_SETTINGS_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "host/display/display_settings.h"
#include "tolvar/tolvar_host.h"

namespace tolvar {

// Longest texts a KeyItem can carry (its fields hold one more byte for the
// terminator).
const size_t kMaxKeyNameLength = TV_KEY_NAME_SIZE - 1;
const size_t kMaxPathLength = TV_PATH_SIZE - 1;
// More keys than anybody watches, and what the channel is sized for.
const size_t kMaxKeys = 1000;

// The on-screen display's time on screen, in milliseconds (files written
// before the Display window may hold down to kMinDisplayMs; the window
// offers from kShortestDisplayMs).
const int kMinDisplayMs = 300;
const int kShortestDisplayMs = 500;
const int kMaxDisplayMs = 10000;
const int kDefaultDisplayMs = 1500;

struct KeySetting {
    bool active = true;
    int32_t keyCode = 0;
    uint8_t modifiers = 0;
    std::string name;
    std::string soundOnPath;
    std::string soundOffPath;
    std::string iconOnPath;
    std::string iconOffPath;
    bool hasIcon = false;
    bool hasOffState = false;
    // The program's own choices for the key, which the options dialog does
    // not know (CarryKeyDisplays).
    KeyDisplay shown;

    bool operator==(const KeySetting &other) const;
};

struct Settings {
    // The options dialog's four switches.
    bool beepOnly = false;
    bool silent = false;
    bool numLockOn = false;
    bool addToStartup = false;
    // The program's own: the on-screen display, and how, where and for
    // which key it shows (with the indicators that stay).
    bool showDisplay = true;
    int displayMs = kDefaultDisplayMs;
    DisplaySettings display;
    std::vector<KeySetting> keys;

    bool operator==(const Settings &other) const;
};

// Caps Lock, Num Lock and Scroll Lock: active icon keys with an off state,
// whatever modifiers are held, default icons and sounds.
Settings DefaultSettings();

// True for Caps Lock, Num Lock and Scroll Lock, whose reports carry the
// toggle state.
bool IsToggleKeyCode(int32_t keyCode);

// A key reports a state that stays (a toggle) rather than press/release.
bool HasToggleState(const KeySetting &key);

// The KeyItem the options dialog receives for a key; texts longer than the
// record's fields are cut.
KeyItem ToKeyItem(const KeySetting &key);
// A key taken over from a KeyItem; each text is read only up to the end of
// its field, so a record without terminators is safe.
KeySetting FromKeyItem(const KeyItem &item);

// Makes a key taken from outside (the options dialog, which may have read it
// from a scheme) fit what the settings file holds: texts cut to their
// lengths, control characters as blanks. False for a key that can never
// report: a key code outside 1..255.
bool NormalizeKey(KeySetting *key);

// The keys of count KeyItems laid out one after the other (as a collection
// holds them), normalized, in order, without those that can never report;
// at most kMaxKeys of them. Returns how many items were left beyond that.
size_t KeysFromItems(const void *items, size_t count, std::vector<KeySetting> *keys);

// The four switches of a collection header, to and from the settings.
KeyCollectionHeader ToHeader(const Settings &settings);
void TakeSwitches(const KeyCollectionHeader &header, Settings *settings);

// The keys that came back from the options dialog get the program's own
// choices of the keys they were: the first unused key of the same key code
// and modifiers; a new key gets the defaults.
void CarryKeyDisplays(const Settings &before, Settings *after);
// The same, but a key with no match in from keeps its own choices.
void TakeKeyDisplays(const Settings &from, Settings *to);

// Entries the table may need: every key, one release entry per key, and
// one per lock key.
inline size_t KeyTableCapacity(size_t maxKeys) { return 2 * maxKeys + kLockKeys; }

// The lock keys whose state the program follows even when they are not
// watched: those with an indicator that stays.
std::vector<int32_t> TrackedLockKeys(const Settings &settings);

// The table the hook library scans: the active keys in list order, then for
// every key code among them that is not a lock key and has no entry of its
// own for any modifiers, one such entry, so that its release is reported
// whatever modifiers are still held (a combination is often released after
// its modifiers, and then matches none of its own entries); at most capacity
// entries, the keys first. For each tracked lock key, an entry that
// matches any modifiers is added at the end unless an active key already
// matches so, so that its indicator follows the key even when it is not
// watched; these are kept when the table is cut.
std::vector<KeyTableEntry> BuildKeyTable(const Settings &settings, size_t capacity,
                                         const std::vector<int32_t> &trackedLocks);

// The first active key that a report of this table entry belongs to, or -1
// (an entry the program added for itself, or a key removed meanwhile).
int FindReportedKey(const Settings &settings, int32_t keyCode, uint8_t modifiers);

// The keys whose state a report changes: the key its entry belongs to, and,
// for the release of a key that is not a lock key, every active key with
// that key code: a release of the key is the release of each combination
// with it, whichever entry reported it. In list order.
std::vector<size_t> KeysOfReport(const Settings &settings, int32_t keyCode, uint8_t modifiers,
                                 int32_t state);

}  // namespace tolvar

#endif  // TOLVAR_HOST_SETTINGS_H
