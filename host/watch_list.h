/*
 * watch_list.h - the reference host's list of watched keys and its report
 * text, kept free of the platform so that both are tested natively.
 */
#ifndef TOLVAR_HOST_WATCH_LIST_H
#define TOLVAR_HOST_WATCH_LIST_H

#include <stdint.h>

#include <string>
#include <vector>

#include "tolvar/tolvar_host.h"

namespace tolvar {

// Caps Lock, Num Lock and Scroll Lock, each with AnyModifiers.
std::vector<KeyTableEntry> DefaultWatchList();

// Parses a comma-separated list of KEY or KEY:MODIFIERS, each number decimal
// or 0x-hexadecimal (for example "0x14:0x80,65:1"). Returns false, leaving
// *out untouched, on any malformed item, a key code outside 1..255 or a
// modifier byte above 255.
bool ParseWatchList(const std::string &text, std::vector<KeyTableEntry> *out);

// A short name for the keys the host knows by name, else "key 0xNN".
std::string KeyLabel(int32_t keyCode);

// "Caps Lock [mods 0x80] on" - one line per report, for the window and stdout.
std::string ReportText(int32_t keyCode, uint8_t modifiers, int32_t state);

}  // namespace tolvar

#endif  // TOLVAR_HOST_WATCH_LIST_H
