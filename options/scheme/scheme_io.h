// scheme_io.h - saving a key collection as a scheme file and loading one back,
// unpacking the embedded icons and sounds into the resource store ("Icons"
// and "Sounds" beside the host executable).
//
// These are further operations of tolvar::KeyCollection that stay out of its
// operation table (the host never sees them). Win32 only.
#ifndef TOLVAR_SCHEME_SCHEME_IO_H
#define TOLVAR_SCHEME_SCHEME_IO_H

#include <cstdint>

namespace tolvar {

class KeyCollection;

// Writes the collection to path as a scheme, embedding the content of every
// file its items name. Rewrites the collection's path fields to bare file
// names, so apply it to a temporary collection only. True when every write
// succeeded; a file that failed part-way stays as far as it was written.
bool WriteScheme(KeyCollection &collection, const char *path);

// Fills an empty collection from the scheme at path and unpacks its embedded
// files into the resource store. On success every path field holds the full
// path of its unpacked file, is empty, or holds a bare file name whose content
// the scheme did not carry. False on any failure (the collection is then to
// be discarded); files unpacked before the failure stay in the store, and no
// temporary file is left behind.
bool ReadScheme(KeyCollection &collection, const char *path);

// CRC-32 of the file's content; 0 when the file cannot be opened.
uint32_t FileCrc32(const char *path);

} // namespace tolvar

#endif // TOLVAR_SCHEME_SCHEME_IO_H
