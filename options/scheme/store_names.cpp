// store_names.cpp - plain-name check, last path component and the choice of
// a free name in the resource store.
#include "options/scheme/store_names.h"

#include <cstdio>
#include <cstring>

namespace tolvar {

namespace {

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIgnoringCase(const char *a, size_t aLength, const char *b)
{
    size_t bLength = std::strlen(b);
    if (aLength != bLength)
        return false;
    for (size_t i = 0; i < aLength; ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

// The system treats these as devices whatever follows the first dot, and
// ignores spaces before that dot.
bool IsDeviceName(const char *name)
{
    size_t stem = std::strcspn(name, ".");
    while (stem > 0 && name[stem - 1] == ' ')
        --stem;
    static const char *const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char *device : kDevices)
        if (SameIgnoringCase(name, stem, device))
            return true;
    if (stem == 4 && (SameIgnoringCase(name, 3, "COM") || SameIgnoringCase(name, 3, "LPT"))) {
        unsigned char digit = static_cast<unsigned char>(name[3]);
        // 1-9, and the superscript digits 1, 2, 3 of the ANSI code page.
        if ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3)
            return true;
    }
    return false;
}

// The lowest second byte of a two-byte character in any of these code pages.
const unsigned char kLowestTrailByte = 0x40;

// Whether the last character, not merely the last byte, is "\\": a last byte
// 0x5C may be the second byte of a letter.
bool EndsWithBackslash(const char *text, const LeadBytes &lead)
{
    bool ends = false;
    for (const char *p = text; *p; ++p) {
        if (lead.Has(static_cast<unsigned char>(*p)) && p[1]) {
            ++p;
            ends = false;
        } else {
            ends = *p == '\\';
        }
    }
    return ends;
}

} // namespace

void LeadBytes::AddRange(unsigned char first, unsigned char last)
{
    for (unsigned b = first; b <= last; ++b)
        bits_[b >> 5] |= 1u << (b & 31);
}

bool IsPlainFileName(const char *name, const LeadBytes &lead)
{
    if (!name || !*name)
        return false;
    size_t length = std::strlen(name);
    if (length > kMaxPathChars)
        return false;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (lead.Has(c)) {
            if (static_cast<unsigned char>(name[i + 1]) < kLowestTrailByte)
                return false;  // cut off, or no character of the code page
            ++i;
            continue;
        }
        if (c < 0x20 || std::strchr("\\/:*?\"<>|", c))
            return false;
    }
    // Also rules out "." and "..".
    if (name[length - 1] == '.' || name[length - 1] == ' ')
        return false;
    return !IsDeviceName(name);
}

bool IsStoreFileName(const char *name, const LeadBytes &lead)
{
    return IsPlainFileName(name, lead) &&
           !SameIgnoringCase(name, std::strlen(name), kStoreTempFileName);
}

const char *LastPathComponent(const char *path, const LeadBytes &lead)
{
    const char *last = path;
    for (const char *p = path; *p; ++p) {
        if (lead.Has(static_cast<unsigned char>(*p))) {
            if (!p[1])
                break;
            ++p;  // the second byte of this character
        } else if (*p == '\\' || *p == '/' || *p == ':') {
            last = p + 1;
        }
    }
    return last;
}

NameChoice ChooseTargetName(const char *folder, const char *fileName, uint64_t length,
                            StoreLookup &lookup, const LeadBytes &lead, char *out)
{
    char base[kMaxPathChars + 1];
    bool needSeparator = !EndsWithBackslash(folder, lead);
    int n = std::snprintf(base, sizeof base, "%s%s", folder, needSeparator ? "\\" : "");
    if (n < 0 || static_cast<size_t>(n) >= sizeof base)
        return NameChoice::kTooLong;

    // The extension is the part from the last "." on; without one the
    // counter goes at the end.
    const char *dot = std::strrchr(fileName, '.');
    size_t stemLength = dot ? static_cast<size_t>(dot - fileName) : std::strlen(fileName);
    const char *extension = dot ? dot : "";

    for (int counter = 0; counter < kMaxNameCandidates; ++counter) {
        if (counter == 0)
            n = std::snprintf(out, kMaxPathChars + 1, "%s%s", base, fileName);
        else
            n = std::snprintf(out, kMaxPathChars + 1, "%s%.*s%03d%s", base,
                              static_cast<int>(stemLength), fileName, counter, extension);
        if (n < 0 || static_cast<size_t>(n) > kMaxPathChars)
            return NameChoice::kTooLong;

        StoreEntry found = lookup.Find(out);
        if (!found.exists)
            return NameChoice::kNewName;
        if (length < (uint64_t(1) << 32) && found.size == length && lookup.SameContent(out))
            return NameChoice::kIdenticalFile;
    }
    return NameChoice::kNoFreeName;
}

} // namespace tolvar
