// TolvarHook64.exe - the 64-bit companion of a 32-bit indicator host on
// 64-bit Windows. Most programs people type into are 64-bit, and the host's
// 32-bit hook library cannot enter them; this program loads TolvarEx64.dll,
// the same hook built for x86-64, and installs its hook, which reports into
// the host's channel like the 32-bit one. Its main thread does nothing but
// pump messages while the hook is installed, so that the system never waits
// for it. See companion_protocol.h for how a host starts and ends it.
#include <windows.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "hook/companion/companion_protocol.h"
#include "hook/hook_registry.h"

namespace {

using namespace tolvar;

typedef void(WINAPI *HookEntry)(void);

std::wstring BesideThisProgram(const wchar_t *name)
{
    wchar_t path[32768];
    const DWORD n = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
    if (n == 0 || n >= sizeof path / sizeof path[0])
        return name;
    std::wstring folder(path, n);
    const size_t slash = folder.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1)) + name;
}

// True when the hook registry says this process installed the 64-bit hook.
bool HookIsInstalled()
{
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, TV_HOOK_REGISTRY_NAME);
    if (!mapping)
        return false;
    const HookRegistry *registry =
        static_cast<const HookRegistry *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(HookRegistry)));
    const bool installed = registry && registry->magic == kHookRegistryMagic &&
                           registry->slots[kHook64].processId == GetCurrentProcessId() &&
                           registry->slots[kHook64].hookHandle != 0;
    if (registry)
        UnmapViewOfFile(registry);
    CloseHandle(mapping);
    return installed;
}

// Pumps messages until the host ends or WM_QUIT arrives.
void PumpUntilTheHostEnds(HANDLE host)
{
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return;
            DispatchMessageA(&msg);
        }
        if (MsgWaitForMultipleObjects(1, &host, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0 + 1)
            return;
    }
}

int Run()
{
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i)
        args.push_back(__argv[i]);
    uint32_t hostId = 0;
    if (!ParseCompanionArguments(args, &hostId))
        return kCompanionUsage;
    HANDLE host = OpenProcess(SYNCHRONIZE, FALSE, hostId);
    if (!host)
        return kCompanionNoHost;
    HANDLE running = CreateMutexA(nullptr, FALSE, TV_COMPANION_MUTEX);

    int result = kCompanionDone;
    HMODULE library = LoadLibraryW(BesideThisProgram(L"" TV_COMPANION_LIBRARY).c_str());
    HookEntry setHook = nullptr, killHook = nullptr;
    if (!library) {
        result = kCompanionNoLibrary;
    } else {
        setHook = reinterpret_cast<HookEntry>(reinterpret_cast<void *>(GetProcAddress(library, "SetHook")));
        killHook = reinterpret_cast<HookEntry>(reinterpret_cast<void *>(GetProcAddress(library, "KillHook")));
        if (!setHook || !killHook)
            result = kCompanionNoExports;
    }
    if (result == kCompanionDone) {
        setHook();
        if (HookIsInstalled())
            PumpUntilTheHostEnds(host);
        else
            result = kCompanionHookRefused;
        killHook();
    }
    if (library)
        FreeLibrary(library);
    if (running)
        CloseHandle(running);
    CloseHandle(host);
    return result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return Run();
}
