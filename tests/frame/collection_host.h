/* collection_host.h - host-side calls into a KeyCollection, written in C. */
#ifndef TOLVAR_TESTS_FRAME_COLLECTION_HOST_H
#define TOLVAR_TESTS_FRAME_COLLECTION_HOST_H

#include <tolvar/tolvar_host.h>

#ifdef __cplusplus
extern "C" {
#endif

void HostSetHeader(KeyCollection *collection, const KeyCollectionHeader *header);
void HostAppendItem(KeyCollection *collection, const KeyItem *item);
KeyCollectionHeader *HostGetData(KeyCollection *collection);
void *HostDestroy(KeyCollection *collection, unsigned int flags);

#ifdef __cplusplus
}
#endif

#endif
