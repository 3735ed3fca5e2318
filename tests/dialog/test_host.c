/* test_host.c - the stand-in host's callbacks (see test_host.h). */
#include "test_host.h"

#include <string.h>

int32_t WINAPI TestHostLoad(KeyCollection *collection, void *hostContext)
{
    TestHost *host = (TestHost *)hostContext;
    int i;
    host->loadCalls++;
    if (!host->loadResult)
        return 0;
    collection->ops->SetHeader(collection, &host->header);
    for (i = 0; i < host->appendCount; ++i)
        collection->ops->AppendItem(collection, &host->items[i]);
    if (host->raiseCount || host->pointItemsHere) {
        /* A host that writes into the block it was given. */
        KeyCollectionHeader *data = collection->ops->GetData(collection);
        if (data) {
            data->itemCount += host->raiseCount;
            if (host->pointItemsHere)
                data->items = host->items;
        }
    }
    return host->loadResult;
}

int32_t WINAPI TestHostSave(KeyCollection *collection, void *hostContext)
{
    TestHost *host = (TestHost *)hostContext;
    const KeyCollectionHeader *data = collection->ops->GetData(collection);
    unsigned i;
    host->saveCalls++;
    host->savedHasData = data != NULL;
    host->savedCount = 0;
    if (data) {
        host->savedHeader = *data;
        for (i = 0; i < data->itemCount && i < TEST_HOST_MAX_ITEMS && data->items; ++i)
            memcpy(&host->saved[i], (const char *)data->items + i * sizeof(KeyItem), sizeof(KeyItem));
        host->savedCount = i;
    }
    return host->saveResult;
}
