// key_collection.h - the KeyCollection: one configuration (the four global
// switches and the watched keys) in a single block on the process heap.
//
// The object crosses to the indicator host, which calls it as an object of
// the 32-bit Windows object model: the first member points to an operation
// table of __thiscall functions (SetHeader, AppendItem, GetData, then a
// deleting destructor taking a flags argument). GCC's own vtable layout is
// different, so the table is declared explicitly (::KeyCollectionOps in
// tolvar_host.h) instead of using C++ virtual functions.
//
// Object layout, relied upon by the host: ops, block, appended.
#ifndef TOLVAR_FRAME_KEY_COLLECTION_H
#define TOLVAR_FRAME_KEY_COLLECTION_H

#include <cstdint>
#include <tolvar/tolvar_host.h>

namespace tolvar {

class KeyCollection {
public:
    KeyCollection();
    ~KeyCollection();
    KeyCollection(const KeyCollection &) = delete;
    KeyCollection &operator=(const KeyCollection &) = delete;

    // Discards any block, allocates a zeroed block for header->itemCount
    // items, copies the header into it with items reset to null, and starts
    // appending at slot 0. When the block size does not fit in 32 bits or the
    // allocation fails, the collection is left without a block.
    void SetHeader(const KeyCollectionHeader *header);

    // Copies the item into the next free slot; ignored without a block or
    // when the block is full.
    void AppendItem(const KeyItem *item);

    // The block (its header first), or null when no header has been set.
    KeyCollectionHeader *GetData();

    // How many whole item slots the block really has, whatever its header
    // says by now (whoever got the block through GetData may have written
    // to it); 0 without a block.
    uint32_t SlotCapacity() const;

    // The same object as the host sees it (what the callbacks receive).
    ::KeyCollection *HostView();
    // The object behind a host view that HostView() returned.
    static KeyCollection *FromHostView(::KeyCollection *view);

private:
    const ::KeyCollectionOps *ops;
    KeyCollectionHeader *block;
    uint32_t appended;

    void FreeBlock();
};

} // namespace tolvar

#endif // TOLVAR_FRAME_KEY_COLLECTION_H
