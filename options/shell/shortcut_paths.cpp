#include "options/shell/shortcut_paths.h"

#include <cstring>

namespace tolvar {

size_t WorkingFolderLength(const char *exePath)
{
    if (!exePath)
        return 0;
    const char *last = std::strrchr(exePath, '\\');
    if (!last)
        return 0;
    size_t length = static_cast<size_t>(last - exePath);
    if (length == 2 && exePath[1] == ':')
        return 3;
    return length;
}

} // namespace tolvar
