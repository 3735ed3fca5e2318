// options_dialog_bench - figures for the options dialog under Wine.
//
//   1. Time from ShowOptions to the dialog fully painted, with 10 keys and
//      with 1,000 keys (3 lock keys with icons, the rest plain combinations),
//      several openings each, in one run; the median is printed.
//   2. Open/close cycles in one process (default 200; first argument changes
//      it): heap in use (every heap of the process), GDI/USER object counts
//      as the system reports them, and the balance of every GDI/USER handle that Tolvar.dll itself
//      creates and destroys (counted through its import table), before and
//      after.
//
// Usage: options_dialog_bench.exe [cycles]   (from the folder of Tolvar.dll)
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <tolvar/tolvar_host.h>
#include "options/resources/resource_ids.h"
#include "support/import_patch.h"
#include "support/modal_script.h"
#include "dialog/test_host.h"

namespace {

const OptionsEntryTable *g_table;

// ---- handle accounting through Tolvar.dll's imports ----

std::map<void *, const char *> g_live;

template <typename T>
T Created(T handle, const char *kind)
{
    if (handle)
        g_live[reinterpret_cast<void *>(handle)] = kind;
    return handle;
}

void Destroyed(void *handle)
{
    g_live.erase(handle);
}

#define REAL(name) decltype(&name) real_##name
REAL(CreateCompatibleDC);
REAL(CreateCompatibleBitmap);
REAL(CreateBitmap);
REAL(LoadBitmapA);
REAL(LoadImageA);
REAL(CreatePopupMenu);
REAL(DeleteDC);
REAL(DeleteObject);
REAL(DestroyIcon);
REAL(DestroyMenu);
REAL(ImageList_Create);
REAL(ImageList_Destroy);

HDC WINAPI MyCreateCompatibleDC(HDC dc) { return Created(real_CreateCompatibleDC(dc), "DC"); }
HBITMAP WINAPI MyCreateCompatibleBitmap(HDC dc, int w, int h)
{
    return Created(real_CreateCompatibleBitmap(dc, w, h), "bitmap");
}
HBITMAP WINAPI MyCreateBitmap(int w, int h, UINT planes, UINT bits, const void *data)
{
    return Created(real_CreateBitmap(w, h, planes, bits, data), "bitmap");
}
HBITMAP WINAPI MyLoadBitmapA(HINSTANCE module, LPCSTR name)
{
    return Created(real_LoadBitmapA(module, name), "bitmap");
}
HANDLE WINAPI MyLoadImageA(HINSTANCE module, LPCSTR name, UINT type, int w, int h, UINT flags)
{
    HANDLE image = real_LoadImageA(module, name, type, w, h, flags);
    return (flags & LR_SHARED) ? image : Created(image, "image");
}
HMENU WINAPI MyCreatePopupMenu() { return Created(real_CreatePopupMenu(), "menu"); }
BOOL WINAPI MyDeleteDC(HDC dc)
{
    Destroyed(dc);
    return real_DeleteDC(dc);
}
BOOL WINAPI MyDeleteObject(HGDIOBJ object)
{
    Destroyed(object);
    return real_DeleteObject(object);
}
BOOL WINAPI MyDestroyIcon(HICON icon)
{
    Destroyed(icon);
    return real_DestroyIcon(icon);
}
BOOL WINAPI MyDestroyMenu(HMENU menu)
{
    Destroyed(menu);
    return real_DestroyMenu(menu);
}
HIMAGELIST WINAPI MyImageList_Create(int w, int h, UINT flags, int initial, int grow)
{
    return Created(real_ImageList_Create(w, h, flags, initial, grow), "image list");
}
BOOL WINAPI MyImageList_Destroy(HIMAGELIST list)
{
    Destroyed(list);
    return real_ImageList_Destroy(list);
}

template <typename F>
void Patch(HMODULE library, const char *dll, const char *name, F *replacement, F **real)
{
    void *previous = tolvar_test::PatchImport(library, dll, name, reinterpret_cast<void *>(replacement));
    *real = previous ? reinterpret_cast<F *>(previous)
                     : reinterpret_cast<F *>(reinterpret_cast<void *>(
                           GetProcAddress(GetModuleHandleA(dll), name)));
}

void PatchAll(HMODULE library)
{
    Patch(library, "gdi32.dll", "CreateCompatibleDC", MyCreateCompatibleDC, &real_CreateCompatibleDC);
    Patch(library, "gdi32.dll", "CreateCompatibleBitmap", MyCreateCompatibleBitmap,
          &real_CreateCompatibleBitmap);
    Patch(library, "gdi32.dll", "CreateBitmap", MyCreateBitmap, &real_CreateBitmap);
    Patch(library, "user32.dll", "LoadBitmapA", MyLoadBitmapA, &real_LoadBitmapA);
    Patch(library, "user32.dll", "LoadImageA", MyLoadImageA, &real_LoadImageA);
    Patch(library, "user32.dll", "CreatePopupMenu", MyCreatePopupMenu, &real_CreatePopupMenu);
    Patch(library, "gdi32.dll", "DeleteDC", MyDeleteDC, &real_DeleteDC);
    Patch(library, "gdi32.dll", "DeleteObject", MyDeleteObject, &real_DeleteObject);
    Patch(library, "user32.dll", "DestroyIcon", MyDestroyIcon, &real_DestroyIcon);
    Patch(library, "user32.dll", "DestroyMenu", MyDestroyMenu, &real_DestroyMenu);
    Patch(library, "comctl32.dll", "ImageList_Create", MyImageList_Create, &real_ImageList_Create);
    Patch(library, "comctl32.dll", "ImageList_Destroy", MyImageList_Destroy, &real_ImageList_Destroy);
}

// ---- the host's configuration ----

KeyItem Item(const char *name, int32_t keyCode, uint8_t modifiers, int hasIcon, const char *soundOn)
{
    KeyItem item;
    std::memset(&item, 0, sizeof item);
    item.active = 1;
    item.keyCode = keyCode;
    item.modifiers = modifiers;
    std::snprintf(item.keyName, sizeof item.keyName, "%s", name);
    std::snprintf(item.soundOnPath, sizeof item.soundOnPath, "%s", soundOn);
    item.hasIcon = hasIcon;
    item.hasOffState = hasIcon;
    return item;
}

std::vector<KeyItem> MakeItems(int count)
{
    std::vector<KeyItem> items = {Item("Caps Lock", VK_CAPITAL, 0, 1, "C:\\Sounds\\caps.on.wav"),
                                  Item("Num Lock", VK_NUMLOCK, 0, 1, ""),
                                  Item("Scroll Lock", VK_SCROLL, 0, 1, "")};
    for (int i = 3; i < count; ++i) {
        char name[64], sound[64];
        std::snprintf(name, sizeof name, "Ctrl + Alt + F%d (%d)", 1 + i % 12, i);
        std::snprintf(sound, sizeof sound, "C:\\Sounds\\key%04d.wav", i);
        items.push_back(Item(name, VK_F1 + i % 12, TV_MOD_CTRL | TV_MOD_ALT, 0, sound));
    }
    return items;
}

struct Host {
    TestHost host;
    std::vector<KeyItem> items;
    std::vector<KeyItem> saved;
    explicit Host(int count) : items(MakeItems(count)), saved(TEST_HOST_MAX_ITEMS)
    {
        std::memset(&host, 0, sizeof host);
        host.loadResult = 1;
        host.saveResult = 1;
        host.items = items.data();
        host.appendCount = count;
        host.header.itemCount = count;
        host.saved = saved.data();
    }
};

double Now()
{
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency.QuadPart;
}

// Opens the dialog once; returns seconds from the call to a fully painted
// dialog (-1 when it did not appear in time).
double OpenOnce(Host &host, bool touch)
{
    double painted = -1;
    const double start = Now();
    tolvar_test::ModalScript script(120000);
    script.Add("painted", [&] {
        HWND dialog = tolvar_test::FindThreadDialog("Tolvar Options");
        if (!dialog)
            return false;
        RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        painted = Now() - start;
        if (touch) {
            // Some work on the way: refocus a row and flip a switch.
            HWND list = GetDlgItem(dialog, IDC_KEY_LIST);
            ListView_SetItemState(list, 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
            CheckDlgButton(dialog, IDC_SILENT, BST_CHECKED);
            tolvar_test::Click(dialog, IDC_SILENT);
        }
        tolvar_test::Click(dialog, IDC_CANCEL);
        return true;
    });
    script.Start();
    g_table->ShowOptions(nullptr, &host.host, TestHostLoad, TestHostSave);
    script.Stop();
    return script.Finished() ? painted : -1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

struct Usage {
    SIZE_T heapBusy = 0;
    SIZE_T pagefile = 0;
    DWORD gdi = 0, user = 0;
    size_t libraryHandles = 0;
};

Usage Measure()
{
    Usage u;
    // Every heap of the process: the C runtime's malloc has a heap of its
    // own besides the process heap.
    HANDLE heaps[64];
    const DWORD heapCount = GetProcessHeaps(64, heaps);
    for (DWORD h = 0; h < heapCount && h < 64; ++h) {
        if (!HeapLock(heaps[h]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[h], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                u.heapBusy += entry.cbData;
        HeapUnlock(heaps[h]);
    }
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        u.pagefile = counters.PagefileUsage;
    u.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    u.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    u.libraryHandles = g_live.size();
    return u;
}

void Print(const char *label, const Usage &u)
{
    std::printf("  %-6s heap in use %8lu B, pagefile %8lu KiB, GetGuiResources gdi %lu user %lu, "
                "live handles made by Tolvar.dll %u\n",
                label, static_cast<unsigned long>(u.heapBusy),
                static_cast<unsigned long>(u.pagefile / 1024), static_cast<unsigned long>(u.gdi),
                static_cast<unsigned long>(u.user), static_cast<unsigned>(u.libraryHandles));
}

} // namespace

int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 200;
    HMODULE library = LoadLibraryA("Tolvar.dll");
    if (!library) {
        std::printf("Tolvar.dll did not load (%lu)\n", GetLastError());
        return 1;
    }
    PatchAll(library);
    auto init = reinterpret_cast<InitDLLProc>(
        reinterpret_cast<void *>(GetProcAddress(library, TV_INIT_DLL_EXPORT)));
    g_table = init(0);
    // Whatever the system sets up on the first dialog of a process.
    Host warm(10);
    OpenOnce(warm, false);

    std::printf("Open and paint (median of 5 openings, after one warm-up):\n");
    for (int count : {10, 1000}) {
        Host host(count);
        std::vector<double> times;
        for (int i = 0; i < 5; ++i)
            times.push_back(OpenOnce(host, false));
        std::printf("  %5d keys: %8.1f ms  (runs:", count, Median(times) * 1000);
        for (double t : times)
            std::printf(" %.1f", t * 1000);
        std::printf(")\n");
    }

    std::printf("%d open/close cycles with 10 keys (refocus a row, flip a switch, Cancel):\n", cycles);
    Host host(10);
    OpenOnce(host, true);
    Usage before = Measure();
    const double start = Now();
    int failed = 0;
    for (int i = 0; i < cycles; ++i)
        if (OpenOnce(host, true) < 0)
            ++failed;
    const double seconds = Now() - start;
    Usage after = Measure();
    Print("before", before);
    Print("after", after);
    std::printf("  %.1f s for %d cycles (%.0f ms each), %d failed\n", seconds, cycles,
                seconds * 1000 / cycles, failed);
    for (const auto &live : g_live)
        std::printf("  still alive: %s %p\n", live.second, live.first);
    return 0;
}
