// item_import.h - checks applied to key items that arrive from outside the
// library (the host's load callback, a scheme file) before the dialog uses
// them.
#ifndef TOLVAR_DIALOG_ITEM_IMPORT_H
#define TOLVAR_DIALOG_ITEM_IMPORT_H

#include <cstdint>

#include "include/tolvar/tolvar_host.h"

namespace tolvar {

// A collection header can be imported when it promises no items or points at
// them; a header that counts items but has no item address cannot.
bool HeaderItemsReadable(uint32_t itemCount, bool hasItemAddress);

// Copies one 1190-byte record into target and terminates every string field
// (key name and the four paths) that has no terminator inside its field, so
// that no later read runs past the field.
void CopyImportedItem(KeyItem *target, const void *source);

} // namespace tolvar

#endif // TOLVAR_DIALOG_ITEM_IMPORT_H
