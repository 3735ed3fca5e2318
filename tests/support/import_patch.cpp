// import_patch.cpp - see import_patch.h. Walks the module's import
// descriptors; matches the function by name where the module keeps the name
// table, else by the address the system resolved for it.
#include "support/import_patch.h"

namespace tolvar_test {

void *PatchImport(HMODULE module, const char *dll, const char *function, void *replacement)
{
    auto *base = reinterpret_cast<BYTE *>(module);
    auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
    if (!base || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return nullptr;
    auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return nullptr;
    HMODULE target = GetModuleHandleA(dll);
    FARPROC resolved = target ? GetProcAddress(target, function) : nullptr;

    for (auto *desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress);
         desc->Name; ++desc) {
        if (lstrcmpiA(reinterpret_cast<const char *>(base + desc->Name), dll) != 0)
            continue;
        auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + desc->FirstThunk);
        auto *names = desc->OriginalFirstThunk
                          ? reinterpret_cast<IMAGE_THUNK_DATA *>(base + desc->OriginalFirstThunk)
                          : nullptr;
        for (size_t i = 0; slots[i].u1.Function; ++i) {
            bool match = false;
            if (names && !IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) {
                auto *byName =
                    reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names[i].u1.AddressOfData);
                match = lstrcmpA(reinterpret_cast<const char *>(byName->Name), function) == 0;
            } else if (resolved) {
                match = slots[i].u1.Function == reinterpret_cast<ULONG_PTR>(resolved);
            }
            if (!match)
                continue;
            void *previous = reinterpret_cast<void *>(slots[i].u1.Function);
            DWORD oldProtect;
            if (!VirtualProtect(&slots[i].u1.Function, sizeof(ULONG_PTR), PAGE_READWRITE, &oldProtect))
                return nullptr;
            slots[i].u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots[i].u1.Function, sizeof(ULONG_PTR), oldProtect, &oldProtect);
            return previous;
        }
    }
    return nullptr;
}

} // namespace tolvar_test
