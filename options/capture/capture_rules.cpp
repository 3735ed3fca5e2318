// capture_rules.cpp - see capture_rules.h.
#include "options/capture/capture_rules.h"

#include <cstring>

namespace tolvar {

namespace {

bool Held(const uint8_t keyState[256], int vk) { return (keyState[vk] & 0x80) != 0; }

// Appends up to maxChars characters of text, never past the end of the
// result's buffer.
void AppendText(CaptureResult &result, size_t &length, const char *text, size_t maxChars)
{
    for (size_t i = 0; i < maxChars && text[i] != '\0' && length + 1 < kCaptureTextSize; ++i)
        result.text[length++] = text[i];
    result.text[length] = '\0';
}

} // namespace

HeldModifiers HeldModifiersFromKeyboardState(const uint8_t keyState[256])
{
    HeldModifiers held;
    held.leftControl = Held(keyState, kVkLControl);
    held.rightControl = Held(keyState, kVkRControl);
    held.leftMenu = Held(keyState, kVkLMenu);
    held.rightMenu = Held(keyState, kVkRMenu);
    held.leftShift = Held(keyState, kVkLShift);
    held.rightShift = Held(keyState, kVkRShift);
    held.control = Held(keyState, kVkControl);
    held.menu = Held(keyState, kVkMenu);
    held.shift = Held(keyState, kVkShift);
    return held;
}

bool IsCapturingEvent(const CaptureEvent &event)
{
    if (event.vk == kVkTab || event.vk == kVkReturn || event.vk == kVkEscape)
        return false;
    if (event.vk == kVkCapital || event.vk == kVkNumLock || event.vk == kVkScroll)
        return event.lockOn;
    return !event.released;
}

CaptureResult ComposeCapture(int vk, bool extended, const HeldModifiers &held, bool isNt,
                             const char *keyName)
{
    // Which modifiers count. On NT the hands are told apart, and the key
    // being captured does not count as its own modifier, except Shift: the
    // Shift keys report themselves, and a captured Shift shows only their
    // names.
    bool ctrl, alt, shift, rightCtrl, rightAlt, rightShift;
    if (isNt) {
        ctrl = held.leftControl && !(vk == kVkControl && !extended);
        alt = held.leftMenu && !(vk == kVkMenu && !extended);
        rightCtrl = held.rightControl && !(vk == kVkControl && extended);
        rightAlt = held.rightMenu && !(vk == kVkMenu && extended);
        shift = held.leftShift;
        rightShift = held.rightShift;
    } else {
        ctrl = held.control && vk != kVkControl;
        alt = held.menu && vk != kVkMenu;
        shift = held.shift && vk != kVkShift;
        rightCtrl = rightAlt = rightShift = false;
    }

    CaptureResult result;
    const bool isModifierKey = vk == kVkShift || vk == kVkControl || vk == kVkMenu;
    if (isModifierKey && (extended || (vk == kVkShift && !shift && rightShift)))
        result.modifiers |= TV_MOD_RIGHT_SIDE_KEY;

    // The names in the order they are shown.
    const struct {
        bool held;
        const char *name;
        ModifierFlags bit;
    } parts[] = {
        {ctrl, "Ctrl", TV_MOD_CTRL},
        {shift, "Shift", TV_MOD_SHIFT},
        {alt, "Alt", TV_MOD_ALT},
        {rightCtrl, "Right Ctrl", TV_MOD_RIGHT_CTRL},
        {rightShift, "Right Shift", TV_MOD_RIGHT_SHIFT},
        {rightAlt, "Right Alt", TV_MOD_RIGHT_ALT},
    };
    size_t length = 0;
    for (const auto &part : parts) {
        if (!part.held)
            continue;
        AppendText(result, length, part.name, kCaptureTextSize);
        AppendText(result, length, "+", 1);
        result.modifiers |= part.bit;
    }

    if (vk == kVkShift && isNt) {
        if (length > 0 && result.text[length - 1] == '+')
            result.text[--length] = '\0';
    } else if (keyName) {
        AppendText(result, length, keyName, kMaxKeyNameChars);
    }
    return result;
}

} // namespace tolvar
