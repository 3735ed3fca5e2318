// ansi_path_win32.cpp - the system's side of the ANSI path rule.
#include "common/ansi_path_win32.h"

#include "common/ansi_path.h"

namespace tolvar {

namespace {

class SystemPaths final : public AnsiPathSystem {
public:
    bool ToAnsi(const wchar_t *text, char *out, size_t size) override
    {
        const int limit = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
        // UTF-8 takes neither flag (the call then fails); it converts every
        // character, and the round trip below still catches a lone
        // surrogate. Other code pages report what they had to replace.
        const bool utf8 = GetACP() == CP_UTF8;
        BOOL usedDefault = FALSE;
        const int bytes = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text, -1,
                                              out, limit, nullptr, utf8 ? nullptr : &usedDefault);
        if (bytes <= 0 || usedDefault)
            return false;
        // Back again, character for character: the text converted exactly.
        wchar_t back[kAnsiPathMaxUnits];
        const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, out, -1, back,
                                              static_cast<int>(kAnsiPathMaxUnits));
        return units > 0 && lstrcmpW(back, text) == 0;
    }

    bool ShortForm(const wchar_t *path, wchar_t *out, size_t size) override
    {
        const DWORD n = GetShortPathNameW(path, out, static_cast<DWORD>(size));
        return n > 0 && n < size;
    }
};

} // namespace

bool SystemAnsiPath(const wchar_t *path, char *out, size_t size)
{
    SystemPaths system;
    return UsableAnsiPath(path, system, out, size);
}

bool ModulePathWide(HMODULE module, wchar_t *out, size_t size)
{
    const DWORD n = GetModuleFileNameW(module, out, static_cast<DWORD>(size));
    // A path that filled the buffer was cut short.
    return n > 0 && n < size;
}

bool ModulePathAnsi(HMODULE module, char *out, size_t size)
{
    wchar_t wide[kAnsiPathMaxUnits];
    if (!ModulePathWide(module, wide, kAnsiPathMaxUnits)) {
        if (size > 0)
            out[0] = 0;
        return false;
    }
    return SystemAnsiPath(wide, out, size);
}

} // namespace tolvar
