/*
 * tolvar_host.h - what an indicator host needs to talk to TolvarEx.dll (the
 * key hook library) and Tolvar.dll (the options library).
 *
 * Plain C, usable from C and C++. On 32-bit Windows every record below has
 * exactly the layout the DLLs read and write; the static assertions at the end
 * of this file check it. The same header also compiles on other platforms so
 * that platform-free code and tests can share the record layouts; there the
 * 32-bit handle and pointer fields are plain 32-bit integers.
 *
 * -------------------------------------------------------------------------
 * Key-event channel (TolvarEx.dll)
 * -------------------------------------------------------------------------
 * The host owns four named objects and must create them, in this order of
 * duties, before it loads TolvarEx.dll at run time:
 *
 *   1. Create the mapping TV_CHANNEL_MAPPING_NAME (read/write, at least
 *      TV_CHANNEL_SIZE(entryCount) bytes), the mutex TV_CHANNEL_MUTEX_NAME and
 *      the events TV_MATCH_EVENT_NAME and TV_READY_EVENT_NAME (an auto-reset,
 *      initially non-signalled ready event is the simple choice). Write
 *      entryCount and the entries; leave hookHandle 0.
 *   2. LoadLibrary("TolvarEx.dll") - this fails while the objects are missing -
 *      and call SetHook() and, at the end, KillHook() from a thread of their
 *      own that does nothing else but pump messages: on 64-bit Windows the
 *      system runs the hook for 64-bit programs on that thread, and their
 *      keys wait until it does. There, also run "TolvarHook64.exe --host
 *      <your process id>" from the folder of TolvarEx64.dll: it installs the
 *      64-bit hook, which reports into the same channel, and ends with your
 *      process or when its main thread gets WM_QUIT.
 *   3. On every signal of the match event, read matchedKeyCode,
 *      matchedModifiers and matchedState WITHOUT taking the mutex (the
 *      reporting thread holds it), act, then SetEvent(ready) exactly once.
 *      Do this on a thread that never receives keyboard input.
 *   4. Hold the mutex while rewriting entryCount or the entries; end the
 *      companion and call KillHook() before closing the objects.
 *
 * The hook library opens the objects with these rights: the mapping with
 * FILE_MAP_ALL_ACCESS, the mutex and the ready event with SYNCHRONIZE, the
 * match event with EVENT_MODIFY_STATE.
 */
#ifndef TOLVAR_HOST_H
#define TOLVAR_HOST_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#include <windows.h>
#define TV_WIN32 1
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define TV_CHANNEL_MAPPING_NAME "tvHookMMFName"
#define TV_CHANNEL_MUTEX_NAME   "tvHookMutexName"
#define TV_MATCH_EVENT_NAME     "tvHookEventName"
#define TV_READY_EVENT_NAME     "tvHookEventReadyName"

/* ModifierFlags: one byte, in a KeyTableEntry and in a KeyItem alike.
 * The six modifier bits state exactly which modifiers must be held (a clear
 * bit demands that the modifier is up). On platforms outside the NT family
 * the Right* bits are never set and Ctrl/Alt/Shift mean either hand. */
typedef uint8_t ModifierFlags;
#define TV_MOD_CTRL           0x01u /* left Ctrl (NT), either Ctrl elsewhere  */
#define TV_MOD_ALT            0x02u /* left Alt (NT), either Alt elsewhere    */
#define TV_MOD_SHIFT          0x04u /* left Shift (NT), either Shift elsewhere*/
#define TV_MOD_RIGHT_CTRL     0x08u
#define TV_MOD_RIGHT_ALT      0x10u
#define TV_MOD_RIGHT_SHIFT    0x20u
#define TV_MOD_RIGHT_SIDE_KEY 0x40u /* the key is itself the right Shift/Ctrl/Alt */
#define TV_MOD_ANY_MODIFIERS  0x80u /* matches whatever modifiers are held      */

#if defined(TV_WIN32)
typedef HHOOK TvHookHandle;
#else
typedef uint32_t TvHookHandle;
#endif

#pragma pack(push, 1)

/* One watched key of the table; the first matching entry wins. */
typedef struct KeyTableEntry {
    int32_t keyCode;        /* virtual-key code, compared as a whole int32 */
    ModifierFlags modifiers;
    uint8_t spare[3];       /* never read by the hook library */
} KeyTableEntry;

/* The start of the mapping. The KeyTable follows at offset 20. */
typedef struct KeyEventChannel {
    TvHookHandle hookHandle;   /*  0: set by SetHook, cleared by KillHook      */
    int32_t matchedKeyCode;    /*  4: written on a match                       */
    ModifierFlags matchedModifiers; /* 8: written on a match                   */
    uint8_t hostBytes[3];      /*  9: never read or written by the hook library*/
    int32_t matchedState;      /* 12: 1 on/pressed, 0 off/released            */
    int32_t entryCount;        /* 16: 0 or negative means an empty table      */
    KeyTableEntry keyTable[1]; /* 20: entryCount entries (declared as one)    */
} KeyEventChannel;

#pragma pack(pop)

#define TV_KEY_TABLE_OFFSET 20u
/* Bytes of mapping needed for a table of n entries. */
#define TV_CHANNEL_SIZE(n) (TV_KEY_TABLE_OFFSET + 8u * (uint32_t)(n))

/* Exports of TolvarEx.dll (by undecorated name; no arguments). */
typedef void (
#if defined(TV_WIN32)
    WINAPI
#endif
    *TvHookProc)(void);
#define TV_SET_HOOK_EXPORT  "SetHook"
#define TV_KILL_HOOK_EXPORT "KillHook"

/*
 * -------------------------------------------------------------------------
 * Options library (Tolvar.dll)
 * -------------------------------------------------------------------------
 * InitDLL (WINAPI, one ignored 32-bit argument) returns the address of the
 * OptionsEntryTable, a constant of the library. Call the entries by their
 * position in that table. ShowOptions hands the host's load callback an empty
 * KeyCollection to fill (SetHeader once, then AppendItem once per key, in list
 * order) and the save callback a filled one to read through GetData. The
 * collection and its block belong to the library and die when the callback
 * returns: copy what you keep, free nothing.
 *
 * The library takes default icons from the host executable's icon resources
 * 2000/2001 (Caps Lock on/off), 3000/3001 (Num Lock), 4000/4001 (Scroll Lock)
 * and preview sounds from its WAVE resources 106 (on) and 107 (off). Scheme
 * files unpack into "Icons" and "Sounds" beside the host executable.
 */

#define TV_KEY_NAME_SIZE 129 /* at most 128 characters + NUL */
#define TV_PATH_SIZE     261 /* at most 260 characters + NUL */

#pragma pack(push, 1)

/* One watched key: 1190 bytes, copied as raw bytes everywhere. */
typedef struct KeyItem {
    int32_t active;                   /*    0 */
    int32_t keyCode;                  /*    4 */
    ModifierFlags modifiers;          /*    8 */
    char keyName[TV_KEY_NAME_SIZE];   /*    9 */
    char soundOnPath[TV_PATH_SIZE];   /*  138 */
    char soundOffPath[TV_PATH_SIZE];  /*  399 */
    char iconOnPath[TV_PATH_SIZE];    /*  660 */
    char iconOffPath[TV_PATH_SIZE];   /*  921 */
    int32_t hasIcon;                  /* 1182 */
    int32_t hasOffState;              /* 1186 */
} KeyItem;

#if defined(TV_WIN32)
typedef KeyItem *TvItemsPointer;
#else
typedef uint32_t TvItemsPointer; /* the 32-bit address as the block holds it */
#endif

/* The start of a KeyCollection's data block; itemCount KeyItems follow. */
typedef struct KeyCollectionHeader {
    int32_t beepOnly;      /*  0: "Use Beep Only"                          */
    int32_t silent;        /*  4: "No Sound (Silent Mode)"                 */
    int32_t numLockOn;     /*  8: "Num Lock On (only for Windows NT/2K)"  */
    int32_t addToStartup;  /* 12: "Add To Startup Menu"                    */
    uint32_t itemCount;    /* 16 */
    TvItemsPointer items;  /* 20: first item, or null before any append    */
} KeyCollectionHeader;

#pragma pack(pop)

#define TV_KEY_ITEM_SIZE 1190u
#define TV_COLLECTION_HEADER_SIZE 24u

#if defined(TV_WIN32)

/* The member-call convention of 32-bit Windows: the object in ECX, the other
 * arguments on the stack, popped by the callee. Microsoft's compilers (and
 * clang in their mode) spell it __thiscall; GCC and clang for MinGW take an
 * attribute. */
#if defined(_MSC_VER)
#define TV_THISCALL __thiscall
#else
#define TV_THISCALL __attribute__((thiscall))
#endif

/* The KeyCollection as a host sees it: an object of the 32-bit Windows object
 * model. Its first member points to the operation table; every operation is a
 * member call (TV_THISCALL: the collection is the first parameter, passed in
 * ECX). Only the first three slots are for the host. */
typedef struct KeyCollection KeyCollection;

/* GCC applies thiscall to C function pointers too, but warns that there is no
 * class: the warning is silenced for these four declarations only. */
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
#endif
typedef struct KeyCollectionOps {
    void (TV_THISCALL *SetHeader)(KeyCollection *self, const KeyCollectionHeader *header);
    void (TV_THISCALL *AppendItem)(KeyCollection *self, const KeyItem *item);
    KeyCollectionHeader *(TV_THISCALL *GetData)(KeyCollection *self);
    /* deleting destructor: flag bit 0 set also frees the object */
    void *(TV_THISCALL *Destroy)(KeyCollection *self, unsigned int flags);
} KeyCollectionOps;
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

struct KeyCollection {
    const KeyCollectionOps *ops;
    /* private to the library: data block pointer, count of appended items */
};

typedef int32_t (WINAPI *LoadSettingsProc)(KeyCollection *collection, void *hostContext);
typedef int32_t (WINAPI *SaveSettingsProc)(KeyCollection *collection, void *hostContext);

typedef struct OptionsEntryTable {
    uint32_t size; /* 28 */
    /* 1: runs the options dialog modally over parent */
    void (WINAPI *ShowOptions)(HWND parent, void *hostContext,
                               LoadSettingsProc loadSettings,
                               SaveSettingsProc saveSettings);
    /* 2: does nothing; removes its six arguments */
    void (WINAPI *ReservedEntry)(uint32_t, uint32_t, uint32_t, uint32_t,
                                 uint32_t, uint32_t);
    /* 3: role 1 = splash window that closes itself, anything else = About box */
    void (WINAPI *ShowAbout)(HWND parent, int32_t role);
    /* 4 and 5: the shortcut "Tolvar.lnk" in the user's Startup folder */
    void (WINAPI *CreateStartupShortcut)(void);
    void (WINAPI *DeleteStartupShortcut)(void);
    /* 6: opens "Tolvar.hlp" at its contents */
    void (WINAPI *ShowHelp)(uint32_t ignored);
} OptionsEntryTable;

typedef const OptionsEntryTable *(WINAPI *InitDLLProc)(uint32_t ignored);
#define TV_INIT_DLL_EXPORT "InitDLL"

#endif /* TV_WIN32 */

/* ---- layout checks ---------------------------------------------------- */
#if defined(__cplusplus)
#define TV_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define TV_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif

TV_STATIC_ASSERT(sizeof(KeyTableEntry) == 8, "KeyTableEntry is 8 bytes");
TV_STATIC_ASSERT(offsetof(KeyTableEntry, modifiers) == 4, "modifiers at 4");
TV_STATIC_ASSERT(offsetof(KeyEventChannel, matchedKeyCode) == 4, "matchedKeyCode at 4");
TV_STATIC_ASSERT(offsetof(KeyEventChannel, matchedModifiers) == 8, "matchedModifiers at 8");
TV_STATIC_ASSERT(offsetof(KeyEventChannel, matchedState) == 12, "matchedState at 12");
TV_STATIC_ASSERT(offsetof(KeyEventChannel, entryCount) == 16, "entryCount at 16");
TV_STATIC_ASSERT(offsetof(KeyEventChannel, keyTable) == TV_KEY_TABLE_OFFSET, "table at 20");

TV_STATIC_ASSERT(sizeof(KeyItem) == TV_KEY_ITEM_SIZE, "KeyItem is 1190 bytes");
TV_STATIC_ASSERT(offsetof(KeyItem, keyCode) == 4, "keyCode at 4");
TV_STATIC_ASSERT(offsetof(KeyItem, modifiers) == 8, "modifiers at 8");
TV_STATIC_ASSERT(offsetof(KeyItem, keyName) == 9, "keyName at 9");
TV_STATIC_ASSERT(offsetof(KeyItem, soundOnPath) == 138, "soundOnPath at 138");
TV_STATIC_ASSERT(offsetof(KeyItem, soundOffPath) == 399, "soundOffPath at 399");
TV_STATIC_ASSERT(offsetof(KeyItem, iconOnPath) == 660, "iconOnPath at 660");
TV_STATIC_ASSERT(offsetof(KeyItem, iconOffPath) == 921, "iconOffPath at 921");
TV_STATIC_ASSERT(offsetof(KeyItem, hasIcon) == 1182, "hasIcon at 1182");
TV_STATIC_ASSERT(offsetof(KeyItem, hasOffState) == 1186, "hasOffState at 1186");

TV_STATIC_ASSERT(sizeof(KeyCollectionHeader) == TV_COLLECTION_HEADER_SIZE, "header is 24 bytes");
TV_STATIC_ASSERT(offsetof(KeyCollectionHeader, silent) == 4, "silent at 4");
TV_STATIC_ASSERT(offsetof(KeyCollectionHeader, numLockOn) == 8, "numLockOn at 8");
TV_STATIC_ASSERT(offsetof(KeyCollectionHeader, addToStartup) == 12, "addToStartup at 12");
TV_STATIC_ASSERT(offsetof(KeyCollectionHeader, itemCount) == 16, "itemCount at 16");
TV_STATIC_ASSERT(offsetof(KeyCollectionHeader, items) == 20, "items at 20");

#if defined(TV_WIN32)
TV_STATIC_ASSERT(sizeof(OptionsEntryTable) == 28, "entry table is 28 bytes");
TV_STATIC_ASSERT(offsetof(KeyCollectionOps, Destroy) == 12, "four operation slots");
#endif

#ifdef __cplusplus
}
#endif

#endif /* TOLVAR_HOST_H */
