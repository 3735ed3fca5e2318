// store_names.h - file names in the resource store: which names a scheme may
// use, the last component of a path, and the choice of a free name for
// unpacked content (the name itself, then name001.ext up to name998.ext).
// Platform-free: the file-system lookups are handed in.
#ifndef TOLVAR_SCHEME_STORE_NAMES_H
#define TOLVAR_SCHEME_STORE_NAMES_H

#include <cstddef>
#include <cstdint>

namespace tolvar {

constexpr size_t kMaxPathChars = 260;     // a path field holds 260 characters + NUL
constexpr int kMaxNameCandidates = 999;   // the name itself and counters 001..998

// The bytes that start a two-byte character in the ANSI code page that names
// and paths are in: in the Japanese, Chinese and Korean code pages (932, 936,
// 949, 950) the second byte may be "\" (0x5C) or "|" (0x7C), as in "ソ"
// (0x83 0x5C) or "ポ" (0x83 0x7C) of 932, and is no separator there. None in
// single-byte code pages and in UTF-8, whose later bytes are never ASCII.
class LeadBytes {
public:
    constexpr LeadBytes() = default;
    void AddRange(unsigned char first, unsigned char last);
    bool Has(unsigned char byte) const { return (bits_[byte >> 5] >> (byte & 31)) & 1u; }

private:
    uint32_t bits_[8] = {};
};

// The name under which a load writes new content before moving it into place.
constexpr const char kStoreTempFileName[] = "F564179C-3AEA-4642-AF18-956699291133.tmp";

// True when name can only ever mean a file directly inside a folder: not
// empty, no "\" "/" ":" (drive or stream) or wildcard/reserved characters
// (* ? " < > |), no control characters, not "." or "..", no trailing dot or
// space (the system would silently drop them), and not a reserved device
// name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$), with or
// without an extension ("con.wav"). Read character by character in the code
// page of lead: a two-byte character is a letter whatever its second byte;
// a lead byte without a valid second byte (0x40 or above) makes no name.
bool IsPlainFileName(const char *name, const LeadBytes &lead);

// True when a scheme may store content under name: a plain file name that is
// not, in any case, the temporary file's name (a load writes and moves that
// file, so an item pointing at it would lose its content).
bool IsStoreFileName(const char *name, const LeadBytes &lead);

// The text after the last "\" or "/" of path (the whole path when it has
// neither), read character by character in the code page of lead. A drive
// prefix without a separator ("C:beep.wav") is dropped too.
const char *LastPathComponent(const char *path, const LeadBytes &lead);

// What a lookup of one candidate path found.
struct StoreEntry {
    bool exists;
    uint64_t size;  // of the file found (0 for a folder)
};

// The store as the name chooser sees it.
class StoreLookup {
public:
    // Looks the path up (as FindFirstFileA would, no wildcards involved).
    virtual StoreEntry Find(const char *path) = 0;
    // True when the file at path holds exactly the content being placed,
    // byte for byte. Asked only of a file of the content's size; a file that
    // cannot be read holds other content.
    virtual bool SameContent(const char *path) = 0;

protected:
    ~StoreLookup() = default;
};

enum class NameChoice {
    kNewName,        // nothing exists under the chosen path
    kIdenticalFile,  // the file there holds the same bytes: reuse it
    kNoFreeName,     // all 999 candidates hold other content
    kTooLong,        // a candidate does not fit a path field
};

// Chooses where content of the given length goes in folder under fileName:
// the first candidate (the name itself, then name001.ext up to name998.ext)
// that either does not exist (a new name) or holds the same bytes (an
// identical file; never for content of 4 GiB or more). Writes the chosen full
// path into out (at least kMaxPathChars + 1 bytes) for kNewName and
// kIdenticalFile. An existing file is only ever reported as identical, never
// as free, so it is never overwritten with other content.
NameChoice ChooseTargetName(const char *folder, const char *fileName, uint64_t length,
                            StoreLookup &lookup, const LeadBytes &lead, char *out);

} // namespace tolvar

#endif // TOLVAR_SCHEME_STORE_NAMES_H
