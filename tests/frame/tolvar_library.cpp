#include "tolvar_library.h"

namespace {
HMODULE g_library = nullptr;
const OptionsEntryTable *g_table = nullptr;
} // namespace

HMODULE TolvarLibrary()
{
    if (!g_library) {
        g_library = LoadLibraryA("Tolvar.dll");
        g_table = nullptr;
        if (g_library) {
            InitDLLProc init =
                reinterpret_cast<InitDLLProc>(
                reinterpret_cast<void *>(GetProcAddress(g_library, TV_INIT_DLL_EXPORT)));
            if (init)
                g_table = init(0);
        }
    }
    return g_library;
}

const OptionsEntryTable *TolvarTable()
{
    TolvarLibrary();
    return g_table;
}

bool UnloadTolvarLibrary()
{
    if (!g_library)
        return true;
    bool freed = FreeLibrary(g_library) != FALSE;
    g_library = nullptr;
    g_table = nullptr;
    return freed;
}
