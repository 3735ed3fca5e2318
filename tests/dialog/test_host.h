/* test_host.h - a stand-in indicator host for the options dialog's tests:
 * plain C load and save callbacks that use the KeyCollection only through
 * its operation table, as a host must. */
#ifndef TOLVAR_TESTS_DIALOG_TEST_HOST_H
#define TOLVAR_TESTS_DIALOG_TEST_HOST_H

#include <tolvar/tolvar_host.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TEST_HOST_MAX_ITEMS 1200

typedef struct TestHost {
    /* what the load callback hands over */
    int loadResult;               /* returned by the load callback */
    int appendCount;              /* items appended (may differ from header.itemCount) */
    KeyCollectionHeader header;   /* given to SetHeader */
    KeyItem *items;               /* appendCount records */
    unsigned raiseCount;          /* added to the block's itemCount after the appends */
    int pointItemsHere;           /* after the appends, the block's items point at items */
    /* what the save callback saw */
    int saveResult;
    int loadCalls;
    int saveCalls;
    int savedHasData;
    KeyCollectionHeader savedHeader;
    KeyItem *saved;               /* room for TEST_HOST_MAX_ITEMS */
    unsigned savedCount;
} TestHost;

int32_t WINAPI TestHostLoad(KeyCollection *collection, void *hostContext);
int32_t WINAPI TestHostSave(KeyCollection *collection, void *hostContext);

#ifdef __cplusplus
}
#endif

#endif
