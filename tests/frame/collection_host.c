/* collection_host.c - a KeyCollection used the way a C host uses it: only
 * through tolvar_host.h and the operation table, with the object's address
 * as the implicit member-call argument. */
#include <tolvar/tolvar_host.h>

#include "collection_host.h"

void HostSetHeader(KeyCollection *collection, const KeyCollectionHeader *header)
{
    collection->ops->SetHeader(collection, header);
}

void HostAppendItem(KeyCollection *collection, const KeyItem *item)
{
    collection->ops->AppendItem(collection, item);
}

KeyCollectionHeader *HostGetData(KeyCollection *collection)
{
    return collection->ops->GetData(collection);
}

void *HostDestroy(KeyCollection *collection, unsigned int flags)
{
    return collection->ops->Destroy(collection, flags);
}
