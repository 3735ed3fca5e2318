#include "options/shell/shortcut_paths.h"

#include <cwchar>

namespace tolvar {

size_t WorkingFolderLength(const wchar_t *exePath)
{
    if (!exePath)
        return 0;
    const wchar_t *last = std::wcsrchr(exePath, L'\\');
    if (!last)
        return 0;
    size_t length = static_cast<size_t>(last - exePath);
    if (length == 2 && exePath[1] == L':')
        return 3;
    return length;
}

} // namespace tolvar
