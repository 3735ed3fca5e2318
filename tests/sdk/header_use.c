/* header_use.c - every declaration of tolvar_host.h used the way a host uses
 * it, so that compiling this file checks the header in one language and one
 * compiler mode. Built as C and as C++, by MinGW and in Microsoft's mode. */
#include <windows.h>

#include <tolvar/tolvar_host.h>

static int32_t WINAPI LoadKeys(KeyCollection *collection, void *hostContext)
{
    KeyCollectionHeader header = {0, 0, 0, 0, 1, 0};
    KeyItem item;
    ZeroMemory(&item, sizeof item);
    item.keyCode = 0x14;
    item.modifiers = TV_MOD_ANY_MODIFIERS;
    collection->ops->SetHeader(collection, &header);
    collection->ops->AppendItem(collection, &item);
    return hostContext != 0;
}

static int32_t WINAPI SaveKeys(KeyCollection *collection, void *hostContext)
{
    const KeyCollectionHeader *data = collection->ops->GetData(collection);
    return data && data->items && hostContext;
}

void UseEveryDeclaration(HWND window, KeyEventChannel *channel, KeyCollection *spare)
{
    HMODULE hook = LoadLibraryA("TolvarEx.dll");
    HMODULE options = LoadLibraryA("Tolvar.dll");
    TvHookProc setHook = (TvHookProc)GetProcAddress(hook, TV_SET_HOOK_EXPORT);
    TvHookProc killHook = (TvHookProc)GetProcAddress(hook, TV_KILL_HOOK_EXPORT);
    InitDLLProc initDll = (InitDLLProc)(void (*)(void))GetProcAddress(options, TV_INIT_DLL_EXPORT);
    const OptionsEntryTable *table = initDll(0);
    KeyTableEntry *entries = (KeyTableEntry *)((BYTE *)channel + TV_KEY_TABLE_OFFSET);

    CreateMutexA(NULL, FALSE, TV_CHANNEL_MUTEX_NAME);
    CreateEventA(NULL, FALSE, FALSE, TV_MATCH_EVENT_NAME);
    CreateEventA(NULL, FALSE, FALSE, TV_READY_EVENT_NAME);
    CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, TV_CHANNEL_SIZE(1),
                       TV_CHANNEL_MAPPING_NAME);
    entries[0].keyCode = 0x14;
    entries[0].modifiers = TV_MOD_CTRL | TV_MOD_ALT | TV_MOD_SHIFT | TV_MOD_RIGHT_CTRL |
                           TV_MOD_RIGHT_ALT | TV_MOD_RIGHT_SHIFT | TV_MOD_RIGHT_SIDE_KEY;
    channel->entryCount = 1;
    setHook();
    table->ShowOptions(window, channel, LoadKeys, SaveKeys);
    table->ReservedEntry(1, 2, 3, 4, 5, 6);
    table->ShowAbout(window, 1);
    table->CreateStartupShortcut();
    table->DeleteStartupShortcut();
    table->ShowHelp(0);
    spare->ops->Destroy(spare, 1);
    if (channel->hookHandle && channel->matchedState && channel->matchedKeyCode &&
        channel->matchedModifiers && table->size == 28 && TV_KEY_ITEM_SIZE == sizeof(KeyItem) &&
        TV_COLLECTION_HEADER_SIZE == sizeof(KeyCollectionHeader) && TV_PATH_SIZE == 261)
        killHook();
}
