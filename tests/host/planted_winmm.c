/* planted_winmm.c - a library named like the system's winmm.dll, as another
 * program could put it beside Tolvar.exe. When a program loads it, it leaves
 * a file "winmm.dll.loaded" beside itself. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *reserved)
{
    char path[MAX_PATH + 8];
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameA(instance, path, MAX_PATH)) {
        HANDLE mark;
        lstrcatA(path, ".loaded");
        mark = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (mark != INVALID_HANDLE_VALUE)
            CloseHandle(mark);
    }
    return TRUE;
}

/* What the programs import from it. */
__declspec(dllexport) BOOL WINAPI PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags)
{
    (void)sound;
    (void)module;
    (void)flags;
    return FALSE;
}
