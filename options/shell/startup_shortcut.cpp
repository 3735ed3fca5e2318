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

// The same path in the ANSI code page.
char *ShortcutPathAnsi()
{
    wchar_t *wide = ShortcutPathWide();
    if (!wide)
        return nullptr;
    char *ansi = nullptr;
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (bytes > 0) {
        ansi = static_cast<char *>(HeapBytes(bytes));
        if (ansi && WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, bytes, nullptr, nullptr) <= 0) {
            HeapRelease(ansi);
            ansi = nullptr;
        }
    }
    HeapRelease(wide);
    return ansi;
}

// What a guarded operation holds, so that the fault path can let go of it.
struct ShortcutWork {
    volatile bool comStarted;
    wchar_t *volatile widePath;
    char *volatile ansiPath;
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
    HeapRelease(work.ansiPath);
    work.ansiPath = nullptr;
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

    char target[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, target, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return; // no path, or one cut short: a shortcut to it would be wrong
    target[length] = '\0';
    char folder[MAX_PATH];
    size_t folderLength = WorkingFolderLength(target);
    std::memcpy(folder, target, folderLength);
    folder[folderLength] = '\0';

    IShellLinkA *link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void **>(&link))) ||
        !link)
        return;
    IPersistFile *file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))) || !file) {
        link->Release();
        return;
    }
    link->SetPath(target);
    link->SetDescription("");
    link->SetArguments("");
    link->SetWorkingDirectory(folder);
    link->SetShowCmd(SW_SHOWNORMAL);
    file->Save(work.widePath, FALSE);
    file->Release();
    link->Release();
}

void DeleteBody(void *context)
{
    ShortcutWork &work = *static_cast<ShortcutWork *>(context);
    work.comStarted = StartCom();
    work.ansiPath = ShortcutPathAnsi();
    if (work.ansiPath)
        DeleteFileA(work.ansiPath);
}

void ExistsBody(void *context)
{
    ShortcutWork &work = *static_cast<ShortcutWork *>(context);
    work.comStarted = StartCom();
    work.ansiPath = ShortcutPathAnsi();
    if (!work.ansiPath)
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(work.ansiPath, &found);
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
    ShortcutWork work = {false, nullptr, nullptr, false};
    RunCatchingFaults(CreateBody, &work);
    FinishWork(work);
}

void DeleteStartupShortcut()
{
    ShortcutWork work = {false, nullptr, nullptr, false};
    RunCatchingFaults(DeleteBody, &work);
    FinishWork(work);
}

bool StartupShortcutExists()
{
    ShortcutWork work = {false, nullptr, nullptr, false};
    bool finished = RunCatchingFaults(ExistsBody, &work) != 0;
    FinishWork(work);
    return finished && work.exists;
}

} // namespace tolvar
