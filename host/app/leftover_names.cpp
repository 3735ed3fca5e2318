// Which file names are set-aside copies of Tolvar's program files.
#include "host/app/leftover_files.h"

#include <ctype.h>
#include <stddef.h>

namespace tolvar {

namespace {

// The files that a running Tolvar, or a program its hooks were mapped into,
// may hold while an update or an uninstall runs.
const char *const kProgramFiles[] = {"Tolvar.exe", "Tolvar.dll", "TolvarEx.dll", "TolvarEx64.dll",
                                     "TolvarHook64.exe"};
const char kSuffix[] = ".old";
const size_t kMaxNumberDigits = 9;

bool StartsWithIgnoreCase(const std::string &text, const char *prefix, size_t *length)
{
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() ||
            tolower(static_cast<unsigned char>(text[i])) != tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    *length = i;
    return true;
}

}  // namespace

bool IsSetAsideProgramFile(const std::string &fileName)
{
    for (const char *program : kProgramFiles) {
        size_t at = 0;
        if (!StartsWithIgnoreCase(fileName, program, &at) || at >= fileName.size() || fileName[at] != '.')
            continue;
        const size_t digitsStart = ++at;
        while (at < fileName.size() && isdigit(static_cast<unsigned char>(fileName[at])))
            ++at;
        const size_t digits = at - digitsStart;
        size_t suffixLength = 0;
        if (digits > 0 && digits <= kMaxNumberDigits &&
            StartsWithIgnoreCase(fileName.substr(at), kSuffix, &suffixLength) &&
            at + suffixLength == fileName.size())
            return true;
    }
    return false;
}

}  // namespace tolvar
