// import_patch.h - redirect one imported function of a loaded module, so a
// test can record calls (ShellExecuteA, WinHelpA, ...) instead of letting
// them reach the system.
#ifndef TOLVAR_TESTS_SUPPORT_IMPORT_PATCH_H
#define TOLVAR_TESTS_SUPPORT_IMPORT_PATCH_H

#include <windows.h>

namespace tolvar_test {

// Replaces the address that module's import table holds for dll!function
// with replacement. Returns the address it held before, or null when the
// module does not import that function (nothing is changed then).
void *PatchImport(HMODULE module, const char *dll, const char *function, void *replacement);

} // namespace tolvar_test

#endif // TOLVAR_TESTS_SUPPORT_IMPORT_PATCH_H
