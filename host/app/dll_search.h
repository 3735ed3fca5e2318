/*
 * dll_search.h - where the program looks for libraries it loads by name.
 *
 * Tolvar.exe loads its two libraries by full path, and every other library
 * that it and they use is the system's own. The search is therefore cut
 * down to the system folder, before anything is loaded by name: neither
 * the current folder (which the file dialogs change) nor the program's own
 * folder (where a per-user install or an unpacked zip lets any program of
 * the user put a file) can then hand a planted system-named library to a
 * Tolvar that runs as administrator. Libraries the program imports are
 * found by the system before the program runs; the only one of them that
 * is not loaded from the system's list of known libraries, winmm.dll, is
 * therefore loaded at run time (system_sound.h).
 */
#ifndef TOLVAR_HOST_DLL_SEARCH_H
#define TOLVAR_HOST_DLL_SEARCH_H

#include <windows.h>

namespace tolvar {

// Call first thing in the program. Systems without the search control
// (Windows 7 without its update, Vista) keep only the current folder out.
void RestrictDllSearch();

// A library of the system loaded by its full path in the system folder, or
// null; for libraries that older systems lack or that the program does not
// import.
HMODULE LoadSystemLibrary(const wchar_t *name);

// The export of a module, as a function pointer of type Proc, or null.
template <typename Proc>
Proc FindExport(HMODULE module, const char *name)
{
    return module ? reinterpret_cast<Proc>(reinterpret_cast<void *>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace tolvar

#endif  // TOLVAR_HOST_DLL_SEARCH_H
