// capture_rules.h - what the Add New Key dialog makes of one key event, as
// pure functions over an explicit keyboard state (no <windows.h>), so that
// every rule is tested natively.
//
//   IsCapturingEvent   whether a key message of the dialog's thread starts a
//                      capture at all (before the focus check, which is the
//                      dialog's business)
//   ComposeCapture     the modifier flags and the readable text of a capture
#ifndef TOLVAR_CAPTURE_CAPTURE_RULES_H
#define TOLVAR_CAPTURE_CAPTURE_RULES_H

#include <cstddef>
#include <cstdint>

#include <tolvar/tolvar_host.h>

#include "common/virtual_keys.h"

namespace tolvar {

// Which modifier keys the keyboard state reports as held.
struct HeldModifiers {
    bool leftControl = false;
    bool rightControl = false;
    bool leftMenu = false;
    bool rightMenu = false;
    bool leftShift = false;
    bool rightShift = false;
    bool control = false; // either Ctrl
    bool menu = false;    // either Alt
    bool shift = false;   // either Shift
};

// Reads the held modifiers from a 256-byte keyboard state (a key is held when
// the high-order bit of its byte is set).
HeldModifiers HeldModifiersFromKeyboardState(const uint8_t keyState[256]);

// One key message as the dialog's keyboard hook sees it.
struct CaptureEvent {
    int vk = 0;
    bool released = false;  // bit 31 of the message's lParam
    bool lockOn = false;    // low-order bit of the key's own state (lock keys)
};

// Lock keys (Caps, Num, Scroll Lock) capture, on press or release alike, only
// while their lock is on; every other key captures on a press or an
// auto-repeat, never on its release. Tab, Enter and Escape never capture:
// they keep their meaning in the dialog.
bool IsCapturingEvent(const CaptureEvent &event);

// Longest key name taken from the system, and longest text a capture
// composes (six modifier names with their "+" and the key name).
constexpr size_t kMaxKeyNameChars = 127;
constexpr size_t kCaptureTextSize = 256;

struct CaptureResult {
    ModifierFlags modifiers = 0;
    char text[kCaptureTextSize] = {0};
};

// Works out the modifier flags and the text of a capture of key vk.
//   extended  bit 24 of the message's lParam (the right Ctrl/Alt key)
//   held      the keyboard state at the moment of capture
//   isNt      the NT platform: left and right modifiers are told apart
//   keyName   the system's name of the key (only its first 127 characters
//             are used; null counts as empty)
// The text is the names of the held modifiers, each followed by "+", then the
// key's own name; a captured Shift key on NT shows the Shift names alone.
CaptureResult ComposeCapture(int vk, bool extended, const HeldModifiers &held, bool isNt,
                             const char *keyName);

} // namespace tolvar

#endif // TOLVAR_CAPTURE_CAPTURE_RULES_H
