// item_import.cpp - checks on imported key items.
#include "options/dialog/item_import.h"

#include <cstring>

namespace tolvar {

namespace {

void TerminateField(char *field, size_t size)
{
    if (!std::memchr(field, '\0', size))
        field[size - 1] = '\0';
}

} // namespace

bool HeaderItemsReadable(uint32_t itemCount, bool hasItemAddress)
{
    return itemCount == 0 || hasItemAddress;
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
