// companion_hook.cpp - the 64-bit hook's slot of the hook registry.
#include "companion_hook.h"

#include "hook/hook_registry.h"

namespace tolvar_test {

DWORD CompanionHookProcess()
{
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, TV_HOOK_REGISTRY_NAME);
    if (!mapping)
        return 0;
    DWORD pid = 0;
    const auto *registry = static_cast<const tolvar::HookRegistry *>(
        MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(tolvar::HookRegistry)));
    if (registry) {
        const tolvar::HookSlot &slot = registry->slots[tolvar::kHook64];
        pid = registry->magic == tolvar::kHookRegistryMagic && slot.hookHandle ? slot.processId : 0;
        UnmapViewOfFile(registry);
    }
    CloseHandle(mapping);
    return pid;
}

} // namespace tolvar_test
