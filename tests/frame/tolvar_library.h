// tolvar_library.h - Tolvar.dll loaded once for the frame's Windows tests,
// as a host loads it: LoadLibrary, then InitDLL for the entry table.
#ifndef TOLVAR_TESTS_FRAME_TOLVAR_LIBRARY_H
#define TOLVAR_TESTS_FRAME_TOLVAR_LIBRARY_H

#include <windows.h>

#include <tolvar/tolvar_host.h>

// The loaded library (loaded on first call), or null when it does not load.
HMODULE TolvarLibrary();
// Its entry table, or null.
const OptionsEntryTable *TolvarTable();
// Frees the library; true when FreeLibrary succeeded. The next call of
// TolvarLibrary() loads it afresh.
bool UnloadTolvarLibrary();

#endif
