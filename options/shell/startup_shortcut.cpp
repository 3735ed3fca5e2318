// startup_shortcut.cpp - the shortcut to the host executable in the current
// user's Startup folder, through the shell's COM objects.
#include "options/shell/startup_shortcut.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <cstring>
#include <cwchar>

#include "common/fault_guard.h"
#include "options/shell/shortcut_paths.h"

namespace tolvar {

namespace {

const wchar_t kShortcutFileSuffixW[] = L"\\Tolvar.lnk";

void *HeapBytes(size_t bytes)
{
    return HeapAlloc(GetProcessHeap(), 0, bytes);
}

void HeapRelease(void *memory)
{
    if (memory)
        HeapFree(GetProcessHeap(), 0, memory);
}

wchar_t *HeapWideCopy(const wchar_t *text)
{
    size_t length = std::wcslen(text);
    wchar_t *copy = static_cast<wchar_t *>(HeapBytes((length + 1) * sizeof(wchar_t)));
    if (copy)
        std::memcpy(copy, text, (length + 1) * sizeof(wchar_t));
    return copy;
}

wchar_t *HeapWideFromAnsi(const char *text)
{
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0)
        return nullptr;
    wchar_t *wide = static_cast<wchar_t *>(HeapBytes(length * sizeof(wchar_t)));
    if (wide && MultiByteToWideChar(CP_ACP, 0, text, -1, wide, length) <= 0) {
        HeapRelease(wide);
        wide = nullptr;
    }
    return wide;
}

// The Startup folder followed by "\Tolvar.lnk", on the process heap; null
// without a Startup folder.
wchar_t *ShortcutPathWide()
{
    wchar_t *folder = GetStartupFolder();
    if (!folder)
        return nullptr;
    size_t folderLength = std::wcslen(folder);
    size_t suffixLength = std::wcslen(kShortcutFileSuffixW);
    wchar_t *path =
        static_cast<wchar_t *>(HeapBytes((folderLength + suffixLength + 1) * sizeof(wchar_t)));
    if (path) {
        std::memcpy(path, folder, folderLength * sizeof(wchar_t));
        std::memcpy(path + folderLength, kShortcutFileSuffixW, (suffixLength + 1) * sizeof(wchar_t));
    }
    HeapRelease(folder);
    return path;
}

// What a guarded operation holds, so that the fault path can let go of it.
struct ShortcutWork {
    volatile bool comStarted;
    wchar_t *volatile widePath;
    volatile bool exists;
};

// Initialises COM on the calling thread; true when this call did so (S_OK,
// or S_FALSE for a thread already in an apartment of that kind), so that
// exactly that initialisation is undone. A thread in the multithreaded
// apartment refuses (RPC_E_CHANGED_MODE) and its COM stays as it is.
bool StartCom()
{
    return SUCCEEDED(CoInitialize(nullptr));
}

void FinishWork(ShortcutWork &work)
{
    HeapRelease(work.widePath);
    work.widePath = nullptr;
    if (work.comStarted) {
        work.comStarted = false;
        CoUninitialize();
    }
}

void CreateBody(void *context)
{
    ShortcutWork &work = *static_cast<ShortcutWork *>(context);
    work.comStarted = StartCom();

    work.widePath = ShortcutPathWide();
    if (!work.widePath)
        return;

    // Wide, so that a program folder named in any language is the target.
    wchar_t target[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, target, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return; // no path, or one cut short: a shortcut to it would be wrong
    target[length] = L'\0';
    wchar_t folder[MAX_PATH];
    size_t folderLength = WorkingFolderLength(target);
    std::memcpy(folder, target, folderLength * sizeof(wchar_t));
    folder[folderLength] = L'\0';

    IShellLinkW *link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void **>(&link))) ||
        !link)
        return;
    IPersistFile *file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))) || !file) {
        link->Release();
        return;
    }
    link->SetPath(target);
    link->SetDescription(L"");
    link->SetArguments(L"");
    link->SetWorkingDirectory(folder);
    link->SetShowCmd(SW_SHOWNORMAL);
    file->Save(work.widePath, FALSE);
    file->Release();
    link->Release();
}

// Deleted and looked up by the same wide path it was saved under: a Startup
// folder named in letters outside the ANSI code page has no ANSI path.
void DeleteBody(void *context)
{
    ShortcutWork &work = *static_cast<ShortcutWork *>(context);
    work.comStarted = StartCom();
    work.widePath = ShortcutPathWide();
    if (work.widePath)
        DeleteFileW(work.widePath);
}

void ExistsBody(void *context)
{
    ShortcutWork &work = *static_cast<ShortcutWork *>(context);
    work.comStarted = StartCom();
    work.widePath = ShortcutPathWide();
    if (!work.widePath)
        return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(work.widePath, &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        work.exists = true;
    }
}

} // namespace

wchar_t *GetStartupFolder()
{
    IMalloc *allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return nullptr;
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_STARTUP, &items)) || !items) {
        allocator->Release();
        return nullptr;
    }

    wchar_t *result = nullptr;
    IShellFolder *desktop = nullptr;
    if (SUCCEEDED(SHGetDesktopFolder(&desktop)) && desktop) {
        STRRET name;
        std::memset(&name, 0, sizeof name);
        HRESULT named = desktop->GetDisplayNameOf(items, SHGDN_FORPARSING, &name);
        desktop->Release();
        if (SUCCEEDED(named)) {
            switch (name.uType) {
            case STRRET_WSTR:
                if (name.pOleStr) {
                    result = HeapWideCopy(name.pOleStr);
                    allocator->Free(name.pOleStr);
                }
                break;
            case STRRET_CSTR:
                result = HeapWideFromAnsi(name.cStr);
                break;
            default: // an offset into the item list: not used for a folder path
                break;
            }
        }
    }
    allocator->Free(items);
    allocator->Release();
    return result;
}

void CreateStartupShortcut()
{
    ShortcutWork work = {false, nullptr, false};
    RunCatchingFaults(CreateBody, &work);
    FinishWork(work);
}

void DeleteStartupShortcut()
{
    ShortcutWork work = {false, nullptr, false};
    RunCatchingFaults(DeleteBody, &work);
    FinishWork(work);
}

bool StartupShortcutExists()
{
    ShortcutWork work = {false, nullptr, false};
    bool finished = RunCatchingFaults(ExistsBody, &work) != 0;
    FinishWork(work);
    return finished && work.exists;
}

} // namespace tolvar
