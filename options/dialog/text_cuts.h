// text_cuts.h - the cuts the key list applies to paths and names.
//
// Both searches walk the text character by character, so that the trail
// byte of a double-byte character is never taken for a '\' or a '.'. Which
// bytes start a double-byte character is the caller's to say (the system's
// code page on Windows), so the rules run and are tested anywhere.
#ifndef TOLVAR_DIALOG_TEXT_CUTS_H
#define TOLVAR_DIALOG_TEXT_CUTS_H

#include <cstddef>

namespace tolvar {

// True when the byte starts a double-byte character.
using LeadBytePredicate = bool (*)(unsigned char byte);

// A predicate for single-byte code pages: no byte leads.
bool NoLeadBytes(unsigned char byte);

// What follows the last backslash of path, or the whole path without one.
// Never null for a non-null path.
const char *FilePart(const char *path, LeadBytePredicate isLeadByte);

// The number of bytes before the last '.' of text, or its whole length
// when it has none.
size_t LengthBeforeLastDot(const char *text, LeadBytePredicate isLeadByte);

} // namespace tolvar

#endif // TOLVAR_DIALOG_TEXT_CUTS_H
