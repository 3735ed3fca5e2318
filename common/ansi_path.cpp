// ansi_path.cpp - the rule that turns a full path into one the ANSI calls
// accept.
#include "common/ansi_path.h"

#include <cwchar>

namespace tolvar {

namespace {

// Where the leading part that ends before the separator at "end" stops
// being a bare drive ("C:"), whose short form is itself: the search for an
// existing part goes no further up than the root.
bool IsBareDrive(const wchar_t *path, size_t end)
{
    return end == 2 && path[1] == L':';
}

} // namespace

bool UsableAnsiPath(const wchar_t *path, AnsiPathSystem &system, char *out, size_t size)
{
    if (size == 0)
        return false;
    out[0] = 0;
    const size_t length = std::wcslen(path);
    if (length == 0 || length >= kAnsiPathMaxUnits)
        return false;
    if (system.ToAnsi(path, out, size))
        return true;

    // The longest leading part that ends at a separator (or the whole path)
    // and has a short form.
    wchar_t part[kAnsiPathMaxUnits];
    wchar_t shortPart[kAnsiPathMaxUnits];
    size_t end = length;
    for (;;) {
        std::wmemcpy(part, path, end);
        part[end] = 0;
        if (system.ShortForm(part, shortPart, kAnsiPathMaxUnits))
            break;
        while (end > 0 && path[end - 1] != L'\\' && path[end - 1] != L'/')
            --end;
        if (end == 0)
            return false;
        --end;  // before that separator
        if (end == 0 || IsBareDrive(path, end))
            return false;
    }
    const size_t shortLength = std::wcslen(shortPart);
    const size_t restLength = length - end;
    if (shortLength + restLength >= kAnsiPathMaxUnits)
        return false;
    wchar_t candidate[kAnsiPathMaxUnits];
    std::wmemcpy(candidate, shortPart, shortLength);
    std::wmemcpy(candidate + shortLength, path + end, restLength);
    candidate[shortLength + restLength] = 0;
    if (system.ToAnsi(candidate, out, size))
        return true;
    out[0] = 0;
    return false;
}

} // namespace tolvar
