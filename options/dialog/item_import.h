// item_import.h - checks applied to key items that arrive from outside the
// library (the host's load callback, a scheme file) before the dialog uses
// them.
#ifndef TOLVAR_DIALOG_ITEM_IMPORT_H
#define TOLVAR_DIALOG_ITEM_IMPORT_H

#include <cstdint>

#include "include/tolvar/tolvar_host.h"

namespace tolvar {

// How many items an import reads from a collection block that has whole
// slots for slotCapacity items, whose header counts itemCount items starting
// itemsOffset bytes from the block's start (hasItemAddress false: the
// header's items address is null). The items must start at one of the
// block's slots, and only the slots from there to the block's end are read.
// False when the header cannot be imported: it counts items but has no item
// address, or one outside the block's slots.
bool ImportableItemCount(uint32_t itemCount, bool hasItemAddress, uint64_t itemsOffset,
                         uint32_t slotCapacity, uint32_t *count);

// Copies one 1190-byte record into target and terminates every string field
// (key name and the four paths) that has no terminator inside its field, so
// that no later read runs past the field.
void CopyImportedItem(KeyItem *target, const void *source);

} // namespace tolvar

#endif // TOLVAR_DIALOG_ITEM_IMPORT_H
