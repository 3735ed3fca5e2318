// item_import.cpp - checks on imported key items.
#include "options/dialog/item_import.h"

#include <cstring>

#include "options/frame/collection_size.h"

namespace tolvar {

namespace {

void TerminateField(char *field, size_t size)
{
    if (!std::memchr(field, '\0', size))
        field[size - 1] = '\0';
}

} // namespace

bool ImportableItemCount(uint32_t itemCount, bool hasItemAddress, uint64_t itemsOffset,
                         uint32_t slotCapacity, uint32_t *count)
{
    *count = 0;
    if (itemCount == 0)
        return true;
    if (!hasItemAddress || itemsOffset < CollectionSlotOffset(0) ||
        (itemsOffset - CollectionSlotOffset(0)) % sizeof(KeyItem) != 0)
        return false;
    const uint64_t firstSlot = (itemsOffset - CollectionSlotOffset(0)) / sizeof(KeyItem);
    if (firstSlot >= slotCapacity)
        return false;
    const uint64_t room = slotCapacity - firstSlot;
    *count = itemCount < room ? itemCount : static_cast<uint32_t>(room);
    return true;
}

void CopyImportedItem(KeyItem *target, const void *source)
{
    std::memcpy(target, source, sizeof(KeyItem));
    TerminateField(target->keyName, sizeof target->keyName);
    TerminateField(target->soundOnPath, sizeof target->soundOnPath);
    TerminateField(target->soundOffPath, sizeof target->soundOffPath);
    TerminateField(target->iconOnPath, sizeof target->iconOnPath);
    TerminateField(target->iconOffPath, sizeof target->iconOffPath);
}

} // namespace tolvar
