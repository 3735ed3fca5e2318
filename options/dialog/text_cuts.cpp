// text_cuts.cpp - file part and extension cut, multibyte-aware.
#include "options/dialog/text_cuts.h"

#include <cstring>

namespace tolvar {

namespace {

// The next character after p, as the platform's CharNext does: a lead byte
// followed by a terminator counts as one byte.
const char *NextChar(const char *p, LeadBytePredicate isLeadByte)
{
    if (*p == '\0')
        return p;
    if (isLeadByte && isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

// The last single-byte occurrence of c in text, or null.
const char *LastChar(const char *text, char c, LeadBytePredicate isLeadByte)
{
    const char *found = nullptr;
    for (const char *p = text; *p != '\0'; p = NextChar(p, isLeadByte))
        if (*p == c)
            found = p;
    return found;
}

} // namespace

bool NoLeadBytes(unsigned char)
{
    return false;
}

const char *FilePart(const char *path, LeadBytePredicate isLeadByte)
{
    const char *slash = LastChar(path, '\\', isLeadByte);
    return slash ? slash + 1 : path;
}

size_t LengthBeforeLastDot(const char *text, LeadBytePredicate isLeadByte)
{
    const char *dot = LastChar(text, '.', isLeadByte);
    return dot ? static_cast<size_t>(dot - text) : std::strlen(text);
}

} // namespace tolvar
