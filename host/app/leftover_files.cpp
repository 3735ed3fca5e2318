// Removes the set-aside copies of program files (see leftover_files.h).
#include "host/app/leftover_files.h"

#include <windows.h>

namespace tolvar {

namespace {

// The name in ASCII, or empty when it has other letters (no program file's has).
std::string AsciiName(const wchar_t *name)
{
    std::string ascii;
    for (; *name; ++name) {
        if (*name >= 0x80)
            return std::string();
        ascii += static_cast<char>(*name);
    }
    return ascii;
}

}  // namespace

void RemoveSetAsideProgramFiles(const std::wstring &folder)
{
    // Only names ending in ".old" can qualify; the rule decides the rest.
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*.old").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            IsSetAsideProgramFile(AsciiName(found.cFileName)))
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

}  // namespace tolvar
