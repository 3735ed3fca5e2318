/*
 * minimal_host.c - the smallest complete indicator host for Tolvar, in plain C.
 *
 * It watches Caps Lock, Num Lock and Scroll Lock through TolvarEx.dll (the key
 * hook library), prints one line for every report it receives, and opens
 * Tolvar.dll's options dialog from its "Options..." button, exchanging the
 * watched keys with it. Everything it needs from Tolvar is in
 * include/tolvar/tolvar_host.h.
 *
 * The host's duties, in the order this file performs them:
 *   1. create the four named objects of the key-event channel and write the
 *      table of watched keys into its mapping;
 *   2. only then load TolvarEx.dll, and call SetHook and KillHook from a
 *      thread of their own that does nothing else but pump messages; on
 *      64-bit Windows, also start TolvarHook64.exe, the 64-bit companion, so
 *      that keys typed into 64-bit programs are reported too;
 *   3. answer every report on a thread of its own;
 *   4. load Tolvar.dll and call InitDLL once;
 *   5. open the options dialog with a load and a save callback that exchange
 *      the keys through the KeyCollection;
 *   6. end the companion and call KillHook before closing the channel.
 *
 * Build it with MinGW-w64 (32-bit):
 *     i686-w64-mingw32-gcc -O2 -I include examples/minimal_host.c -o minimal_host.exe
 * or with Microsoft's compiler for x86:
 *     cl /O2 /I include examples\minimal_host.c user32.lib
 * and run it from the folder that holds TolvarEx.dll and Tolvar.dll (and, for
 * 64-bit Windows, TolvarEx64.dll and TolvarHook64.exe). It is a console
 * program so that its report lines are there to read; close its window to
 * end it.
 */
#include <stdarg.h>
#include <windows.h>

#include "tolvar/tolvar_host.h"

#define MAX_KEYS      64             /* the channel is made for this many entries */
#define WM_TV_REPORT  (WM_APP + 1)   /* wParam: key code, lParam: modifiers | state << 16 */
#define ID_OPTIONS    1
#define ID_LAST_EVENT 2

/* Everything the host keeps. The library hands this address back to the
 * callbacks as their hostContext; the report thread gets it as its argument. */
typedef struct Host {
    /* the settings: the four switches and the watched keys, in list order */
    KeyCollectionHeader switches;
    KeyItem keys[MAX_KEYS];
    uint32_t keyCount;

    /* the key-event channel (duty 1) */
    HANDLE mapping, mutex, matchEvent, readyEvent;
    KeyEventChannel *channel;

    /* the libraries (duties 2 and 4), the thread that holds the hook and
     * the 64-bit companion */
    HMODULE hookLibrary, optionsLibrary;
    TvHookProc setHook, killHook;
    HANDLE hookThread, hookSet;
    DWORD hookThreadId;
    PROCESS_INFORMATION companion;
    const OptionsEntryTable *options;

    /* the report thread (duty 3) and the window it tells */
    HANDLE stopEvent, reportThread;
    HWND window, lastEvent;
} Host;

static Host host;

/* One line on standard output. */
static void Print(const char *format, ...)
{
    char line[512];
    DWORD written;
    va_list args;
    va_start(args, format);
    wvsprintfA(line, format, args);
    va_end(args);
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, (DWORD)lstrlenA(line), &written, NULL);
}

/* A key as the options dialog shows it. The items that the host hands over
 * with hasIcon and hasOffState set are the only ones that can carry icons and
 * off states and that the user cannot delete. */
static void AddLockKey(Host *h, int32_t keyCode, const char *name)
{
    KeyItem *key = &h->keys[h->keyCount++];
    ZeroMemory(key, sizeof *key);
    key->active = 1;
    key->keyCode = keyCode;
    key->modifiers = TV_MOD_ANY_MODIFIERS; /* whatever else is held */
    lstrcpynA(key->keyName, name, TV_KEY_NAME_SIZE);
    key->hasIcon = 1;
    key->hasOffState = 1;
}

/* ---- 1. The key-event channel --------------------------------------------- */

/* Writes the active keys into the table. The hook reads the table in every
 * process under the channel mutex, so the host holds it while rewriting. */
static void PublishKeys(Host *h)
{
    KeyTableEntry *table = (KeyTableEntry *)((BYTE *)h->channel + TV_KEY_TABLE_OFFSET);
    int32_t count = 0;
    uint32_t i;
    WaitForSingleObject(h->mutex, INFINITE);
    for (i = 0; i < h->keyCount; ++i) {
        if (!h->keys[i].active)
            continue;
        table[count].keyCode = h->keys[i].keyCode;
        table[count].modifiers = h->keys[i].modifiers;
        ++count;
    }
    h->channel->entryCount = count;
    ReleaseMutex(h->mutex);
}

/* Creates the mapping, the mutex and both events under their exact names and
 * fills the table; hookHandle stays 0 for SetHook to write. */
static BOOL CreateChannel(Host *h)
{
    MEMORY_BASIC_INFORMATION region;
    BOOL existed;
    h->mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0,
                                    TV_CHANNEL_SIZE(MAX_KEYS), TV_CHANNEL_MAPPING_NAME);
    existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (!h->mapping)
        return FALSE;
    h->channel = (KeyEventChannel *)MapViewOfFile(h->mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (!h->channel)
        return FALSE;
    /* A channel that exists already is another host's while its hook is
     * installed: two hosts would answer the same reports. Without a hook it
     * is left over from a host that has ended, held open by processes that
     * still have TolvarEx.dll loaded; then it is ours, if our table fits. */
    if (existed && (h->channel->hookHandle ||
                    !VirtualQuery(h->channel, &region, sizeof region) ||
                    region.RegionSize < TV_CHANNEL_SIZE(MAX_KEYS)))
        return FALSE;
    h->mutex = CreateMutexA(NULL, FALSE, TV_CHANNEL_MUTEX_NAME);
    h->matchEvent = CreateEventA(NULL, FALSE, FALSE, TV_MATCH_EVENT_NAME);
    /* Auto-reset: each report waits for a fresh ready signal. */
    h->readyEvent = CreateEventA(NULL, FALSE, FALSE, TV_READY_EVENT_NAME);
    if (!h->mutex || !h->matchEvent || !h->readyEvent)
        return FALSE;
    PublishKeys(h);
    return TRUE;
}

/* ---- 2. The hook library ---------------------------------------------------- */

/* Loaded at run time, after the channel exists: the library opens the channel
 * when it attaches and refuses to load without it. Never link it at load
 * time. */
static BOOL LoadHookLibrary(Host *h)
{
    h->hookLibrary = LoadLibraryA("TolvarEx.dll");
    if (!h->hookLibrary)
        return FALSE;
    h->setHook = (TvHookProc)GetProcAddress(h->hookLibrary, TV_SET_HOOK_EXPORT);
    h->killHook = (TvHookProc)GetProcAddress(h->hookLibrary, TV_KILL_HOOK_EXPORT);
    return h->setHook && h->killHook;
}

/* The hook's own thread. On 64-bit Windows the system runs the 32-bit hook
 * for 64-bit programs on the thread that called SetHook, and their keys wait
 * until it does: so that thread does nothing else but pump messages, never
 * a dialog, a file or a wait. It removes the hook when told to quit. */
static DWORD WINAPI HookThread(void *context)
{
    Host *h = (Host *)context;
    MSG message;
    PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE); /* its queue, before anyone posts */
    h->setHook();
    SetEvent(h->hookSet);
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    h->killHook();
    return 0;
}

static BOOL StartHookThread(Host *h)
{
    h->hookSet = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (!h->hookSet)
        return FALSE;
    h->hookThread = CreateThread(NULL, 0, HookThread, h, 0, &h->hookThreadId);
    if (h->hookThread)
        WaitForSingleObject(h->hookSet, INFINITE);
    return h->hookThread && h->channel->hookHandle;
}

/* On 64-bit Windows the 32-bit hook library cannot enter 64-bit programs, the
 * ones people mostly type into. TolvarHook64.exe, started with this process's
 * id, installs TolvarEx64.dll's hook, which reports into the same channel; it
 * ends when this process ends or when its thread is told to quit. Without it
 * the host still works, for 32-bit programs. */
static void StartCompanion(Host *h)
{
    typedef BOOL(WINAPI * IsWow64ProcessProc)(HANDLE, BOOL *);
    IsWow64ProcessProc isWow64 = (IsWow64ProcessProc)(void (*)(void))GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "IsWow64Process");
    BOOL wow64 = FALSE;
    char commandLine[64];
    STARTUPINFOA startup;
    if (!isWow64 || !isWow64(GetCurrentProcess(), &wow64) || !wow64)
        return;
    wsprintfA(commandLine, "TolvarHook64.exe --host %lu", GetCurrentProcessId());
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    /* Found beside this program first, as TolvarEx.dll is. */
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        &h->companion)) {
        Print("64-bit programs are not watched: TolvarHook64.exe cannot start\r\n");
        return;
    }
    /* It waits for messages once its hook is in place, or ends at once. */
    WaitForInputIdle(h->companion.hProcess, 30000);
    Print("64-bit companion %s\r\n",
          WaitForSingleObject(h->companion.hProcess, 0) == WAIT_TIMEOUT ? "running" : "ended");
}

static void StopCompanion(Host *h)
{
    if (!h->companion.hProcess)
        return;
    PostThreadMessageA(h->companion.dwThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(h->companion.hProcess, 5000);
    CloseHandle(h->companion.hProcess);
    CloseHandle(h->companion.hThread);
}

/* ---- 3. Answering reports --------------------------------------------------- */

/* Waits for the match event on a thread that never receives keyboard input.
 * The reporting thread holds the channel mutex until the ready event is set,
 * so the fields are read without the mutex, the ready event is set exactly
 * once, and only then is the window told - by posting: a sent message would
 * wait for the window's thread, which may itself be inside the hook, waiting
 * for ready. */
static DWORD WINAPI ReportThread(void *context)
{
    Host *h = (Host *)context;
    HANDLE waits[2];
    waits[0] = h->stopEvent;
    waits[1] = h->matchEvent;
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        const volatile KeyEventChannel *report = h->channel;
        int32_t keyCode = report->matchedKeyCode;
        int32_t modifiers = report->matchedModifiers;
        int32_t state = report->matchedState;
        SetEvent(h->readyEvent);
        PostMessageA(h->window, WM_TV_REPORT, (WPARAM)keyCode,
                     (LPARAM)(modifiers | (state ? 0x10000 : 0)));
    }
    return 0;
}

/* On the window's thread: what a real host shows as an icon and plays as a
 * sound. The report names the key by the code and modifiers of its entry. */
static void ShowReport(Host *h, int32_t keyCode, int32_t modifiers, int32_t state)
{
    const char *name = "?";
    char line[256];
    uint32_t i;
    for (i = 0; i < h->keyCount; ++i)
        if (h->keys[i].keyCode == keyCode && h->keys[i].modifiers == modifiers)
            name = h->keys[i].keyName;
    wsprintfA(line, "report: key 0x%02X modifiers 0x%02X %s \"%s\"", (unsigned)keyCode,
              (unsigned)modifiers, state ? "on" : "off", name);
    Print("%s\r\n", line);
    SetWindowTextA(h->lastEvent, line);
}

/* ---- 4. and 5. The options library and its callbacks ----------------------- */

/* The load callback fills the empty collection it is given: SetHeader with the
 * switches and the number of keys, then one AppendItem per key, in list order.
 * The collection belongs to the library: use it during the call only. */
static int32_t WINAPI LoadSettings(KeyCollection *collection, void *hostContext)
{
    Host *h = (Host *)hostContext;
    KeyCollectionHeader header = h->switches;
    uint32_t i;
    header.itemCount = h->keyCount;
    collection->ops->SetHeader(collection, &header);
    for (i = 0; i < h->keyCount; ++i)
        collection->ops->AppendItem(collection, &h->keys[i]);
    return 1;
}

/* The save callback reads the collection through GetData, copies what it keeps
 * and returns nonzero when it took the settings over. The library has already
 * created or deleted the Startup shortcut for addToStartup; a real host would
 * also store the settings, turn Num Lock on for numLockOn, and honour silent
 * and beepOnly when it plays sounds. */
static int32_t WINAPI SaveSettings(KeyCollection *collection, void *hostContext)
{
    Host *h = (Host *)hostContext;
    const KeyCollectionHeader *data = collection->ops->GetData(collection);
    const KeyItem *items;
    uint32_t i;
    if (!data || data->itemCount > MAX_KEYS)
        return 0; /* refused: the dialog stays open with the user's changes */
    items = (const KeyItem *)data->items;
    if (data->itemCount > 0 && !items)
        return 0;
    h->switches = *data;
    h->switches.items = NULL; /* the block dies with the call */
    for (i = 0; i < data->itemCount; ++i)
        h->keys[i] = items[i];
    h->keyCount = data->itemCount;
    PublishKeys(h); /* a key added in the dialog reports from now on */
    Print("settings saved: %u keys, silent %d, beep only %d\r\n", (unsigned)h->keyCount,
          (int)h->switches.silent, (int)h->switches.beepOnly);
    return 1;
}

/* Tolvar.dll is optional for indicating: without it there are no options. */
static void LoadOptionsLibrary(Host *h)
{
    InitDLLProc initDll;
    h->optionsLibrary = LoadLibraryA("Tolvar.dll");
    if (!h->optionsLibrary)
        return;
    /* From the generic type GetProcAddress returns, through the one function
     * pointer type that C compilers take as "any function". */
    initDll = (InitDLLProc)(void (*)(void))GetProcAddress(h->optionsLibrary, TV_INIT_DLL_EXPORT);
    if (initDll)
        h->options = initDll(0); /* a constant of the library: call by position */
}

/* ---- The window ------------------------------------------------------------ */

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        /* The dialog runs modally on this thread; the hook has a thread of
         * its own, so nothing the dialog does holds up anybody's typing. */
        if (LOWORD(wParam) == ID_OPTIONS && host.options)
            host.options->ShowOptions(window, &host, LoadSettings, SaveSettings);
        return 0;
    case WM_TV_REPORT:
        ShowReport(&host, (int32_t)wParam, (int32_t)(lParam & 0xFF), (int32_t)(lParam >> 16));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

static BOOL CreateHostWindow(Host *h, HINSTANCE instance)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "TolvarMinimalHost";
    if (!RegisterClassA(&windowClass))
        return FALSE;
    h->window = CreateWindowExA(0, windowClass.lpszClassName, "Tolvar minimal host",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                CW_USEDEFAULT, CW_USEDEFAULT, 420, 110, NULL, NULL, instance, NULL);
    if (!h->window)
        return FALSE;
    CreateWindowExA(0, "BUTTON", "Options...", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                    10, 10, 90, 26, h->window, (HMENU)ID_OPTIONS, instance, NULL);
    h->lastEvent = CreateWindowExA(0, "STATIC", "Press Caps Lock, Num Lock or Scroll Lock.",
                                   WS_CHILD | WS_VISIBLE, 10, 46, 390, 20, h->window,
                                   (HMENU)ID_LAST_EVENT, instance, NULL);
    EnableWindow(GetDlgItem(h->window, ID_OPTIONS), FALSE); /* until step 4 */
    ShowWindow(h->window, SW_SHOWNORMAL);
    return TRUE;
}

/* ---- 6. Closing ------------------------------------------------------------ */

/* The hooks first, while the report thread still answers: a report that is
 * pending now must be answered, or its process waits for ever. The hook's
 * thread calls KillHook when it quits. Then the report thread stops and the
 * channel closes. */
static void Shutdown(Host *h)
{
    StopCompanion(h);
    if (h->hookThread) {
        PostThreadMessageA(h->hookThreadId, WM_QUIT, 0, 0);
        WaitForSingleObject(h->hookThread, INFINITE);
        CloseHandle(h->hookThread);
        Print("hook removed\r\n");
    }
    if (h->hookSet)
        CloseHandle(h->hookSet);
    if (h->reportThread) {
        SetEvent(h->stopEvent);
        WaitForSingleObject(h->reportThread, INFINITE);
        CloseHandle(h->reportThread);
    }
    if (h->hookLibrary)
        FreeLibrary(h->hookLibrary);
    if (h->optionsLibrary)
        FreeLibrary(h->optionsLibrary);
    if (h->channel)
        UnmapViewOfFile(h->channel);
    if (h->mapping)
        CloseHandle(h->mapping);
    if (h->mutex)
        CloseHandle(h->mutex);
    if (h->matchEvent)
        CloseHandle(h->matchEvent);
    if (h->readyEvent)
        CloseHandle(h->readyEvent);
    if (h->stopEvent)
        CloseHandle(h->stopEvent);
}

static int Fail(Host *h, const char *what)
{
    Print("minimal_host: %s (error %lu)\r\n", what, GetLastError());
    MessageBoxA(h->window, what, "Tolvar minimal host", MB_OK | MB_ICONERROR);
    Shutdown(h);
    return 1;
}

int main(void)
{
    MSG message;

    AddLockKey(&host, VK_CAPITAL, "Caps Lock");
    AddLockKey(&host, VK_NUMLOCK, "Num Lock");
    AddLockKey(&host, VK_SCROLL, "Scroll Lock");
    if (!CreateHostWindow(&host, GetModuleHandleA(NULL)))
        return Fail(&host, "The window cannot be created");

    /* 1. */
    if (!CreateChannel(&host))
        return Fail(&host, "The key-event channel cannot be created (is a host running?)");
    /* 2. */
    if (!LoadHookLibrary(&host))
        return Fail(&host, "TolvarEx.dll cannot be loaded");
    /* 3. The answering thread runs before the hook is set, so that no report
     *    waits for it. */
    host.stopEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    host.reportThread = host.stopEvent
        ? CreateThread(NULL, 0, ReportThread, &host, 0, NULL) : NULL;
    if (!host.reportThread)
        return Fail(&host, "The report thread cannot be started");
    if (!StartHookThread(&host))
        return Fail(&host, "The keyboard hook cannot be installed");
    StartCompanion(&host);
    /* 4. */
    LoadOptionsLibrary(&host);
    EnableWindow(GetDlgItem(host.window, ID_OPTIONS), host.options != NULL);
    Print("hook installed; options %s\r\n", host.options ? "available" : "unavailable");

    /* 5. The Options... button opens the dialog (WindowProc). */
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    /* 6. */
    Shutdown(&host);
    return 0;
}
