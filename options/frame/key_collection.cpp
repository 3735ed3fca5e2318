// key_collection.cpp - the KeyCollection and its operation table, the form
// in which a host calls it (member calls with the object in ECX, callee
// pops the arguments).
#include "options/frame/key_collection.h"

#include <windows.h>
#include <cstddef>
#include <cstring>
#include <new>

#include "options/frame/collection_size.h"

namespace tolvar {

namespace {

void __attribute__((thiscall)) OpSetHeader(::KeyCollection *self, const KeyCollectionHeader *header)
{
    KeyCollection::FromHostView(self)->SetHeader(header);
}

void __attribute__((thiscall)) OpAppendItem(::KeyCollection *self, const KeyItem *item)
{
    KeyCollection::FromHostView(self)->AppendItem(item);
}

KeyCollectionHeader *__attribute__((thiscall)) OpGetData(::KeyCollection *self)
{
    return KeyCollection::FromHostView(self)->GetData();
}

// The deleting destructor: bit 0 of flags also frees the object, which must
// then have been created with new.
void *__attribute__((thiscall)) OpDestroy(::KeyCollection *self, unsigned int flags)
{
    KeyCollection *collection = KeyCollection::FromHostView(self);
    collection->~KeyCollection();
    if (flags & 1u)
        ::operator delete(collection);
    return collection;
}

const ::KeyCollectionOps kOperations = {OpSetHeader, OpAppendItem, OpGetData, OpDestroy};

} // namespace

KeyCollection::KeyCollection() : ops(&kOperations), block(nullptr), appended(0)
{
    static_assert(offsetof(KeyCollection, ops) == 0, "operation table first");
    static_assert(offsetof(KeyCollection, block) == 4, "block second");
    static_assert(offsetof(KeyCollection, appended) == 8, "appended third");
}

KeyCollection::~KeyCollection()
{
    FreeBlock();
}

void KeyCollection::FreeBlock()
{
    if (block) {
        HeapFree(GetProcessHeap(), 0, block);
        block = nullptr;
    }
    appended = 0;
}

void KeyCollection::SetHeader(const KeyCollectionHeader *header)
{
    FreeBlock();
    if (!header)
        return;
    uint32_t bytes;
    if (!CollectionBlockSize(header->itemCount, &bytes))
        return; // not addressable: stay without a block
    void *memory = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
    if (!memory)
        return;
    block = static_cast<KeyCollectionHeader *>(memory);
    std::memcpy(block, header, sizeof *block);
    block->items = nullptr;
}

void KeyCollection::AppendItem(const KeyItem *item)
{
    if (!block || !item)
        return;
    // The block's itemCount is writable by whoever got it through GetData;
    // never append past what was actually allocated.
    uint32_t slots = block->itemCount;
    uint32_t capacity = SlotCapacity();
    if (capacity < slots)
        slots = capacity;
    if (appended >= slots)
        return;
    KeyItem *slot = reinterpret_cast<KeyItem *>(reinterpret_cast<char *>(block) +
                                                CollectionSlotOffset(appended));
    ++appended;
    if (appended == 1)
        block->items = slot;
    std::memcpy(slot, item, sizeof *slot);
}

KeyCollectionHeader *KeyCollection::GetData()
{
    return block;
}

uint32_t KeyCollection::SlotCapacity() const
{
    if (!block)
        return 0;
    SIZE_T allocated = HeapSize(GetProcessHeap(), 0, block);
    if (allocated == static_cast<SIZE_T>(-1))
        return 0;
    return CollectionSlotCapacity(allocated);
}

::KeyCollection *KeyCollection::HostView()
{
    return reinterpret_cast<::KeyCollection *>(this);
}

KeyCollection *KeyCollection::FromHostView(::KeyCollection *view)
{
    return reinterpret_cast<KeyCollection *>(view);
}

} // namespace tolvar
