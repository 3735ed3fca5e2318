// scheme_format.h - the byte layout of a scheme file's record, its byte
// scrambling and the CRC-32 used on embedded files. Platform-free.
//
// A scheme file is: a plain uint32 record length; the record (first byte
// plain, every later byte scrambled); then, for each non-empty file name of
// the record in record order, a plain uint64 content length followed by that
// many scrambled content bytes.
//
// Record layout (little-endian):
//   0  uint8   version (1 when written, any nonzero value accepted)
//   1  char[4] "TVSA"
//   5  int32   beepOnly, silent, numLockOn, addToStartup (each 0 or 1)
//  21  uint32  itemCount (at least 1)
//  25  items:  int32 active, int32 keyCode, uint8 modifiers, int32 hasIcon,
//              int32 hasOffState, then keyName and the sound-on, sound-off,
//              icon-on and icon-off file names, each NUL-terminated.
#ifndef TOLVAR_SCHEME_SCHEME_FORMAT_H
#define TOLVAR_SCHEME_SCHEME_FORMAT_H

#include <cstddef>
#include <cstdint>

#include "options/scheme/store_names.h"
#include "tolvar/tolvar_host.h"

namespace tolvar {

constexpr uint8_t kSchemeScrambleKey = 0x5E;
constexpr uint8_t kSchemeVersion = 1;
constexpr size_t kSchemeRecordHeaderSize = 25;
constexpr size_t kSchemeItemFixedSize = 17;  // the integers and the modifier byte
constexpr size_t kSchemeItemMinSize = 22;    // fixed part plus five empty strings
constexpr uint32_t kCrc32Start = 0xFFFFFFFFu;

// The four path fields of a KeyItem in the order a scheme walks them:
// sound-on, sound-off, icon-on, icon-off.
constexpr int kPathFieldCount = 4;
char *PathField(KeyItem &item, int index);
const char *PathField(const KeyItem &item, int index);
// True for the two icon fields (indices 2 and 3), false for the sounds.
inline bool IsIconField(int index) { return index >= 2; }

// XORs every byte that is neither 0 nor the key with the key. Its own
// inverse, and chunk by chunk equals all at once. Sixteen bytes per step
// where the CPU has SSE2, else four with 32-bit arithmetic.
void ScrambleBytes(void *buffer, size_t count);

// ScrambleBytes' two ways, each on its own (tests check that they agree):
// four bytes per step with 32-bit arithmetic, which any x86 CPU runs; and
// sixteen per step with SSE2, which returns false, having done nothing, when
// the CPU has no SSE2 or the build is not for x86.
void ScrambleBytesPlain(void *buffer, size_t count);
bool ScrambleBytesSse2(void *buffer, size_t count);

// Advances a running CRC-32 (reflected, polynomial 0xEDB88320) over the bytes.
// A run starts at kCrc32Start and ends by complementing the value.
uint32_t UpdateCrc32(const void *buffer, size_t count, uint32_t crc);

// Receives a decoded collection: the header once, then each item in order.
// Either call returns false when the target cannot take it (no memory).
class SchemeTarget {
public:
    virtual bool SetHeader(const KeyCollectionHeader &header) = 0;
    virtual bool AppendItem(const KeyItem &item) = 0;

protected:
    ~SchemeTarget() = default;
};

// Encodes the header's first five fields and itemCount items (paths already
// reduced to file names) into a newly malloc'ed, unscrambled record. Returns
// null when the memory cannot be had; the caller frees the record.
// A string field without a terminator inside its field is cut at the field's
// end, so the record never carries bytes from outside the item.
uint8_t *EncodeSchemeRecord(const KeyCollectionHeader &header, const KeyItem *items,
                            size_t *length);

// Checks an unscrambled record of length bytes and hands it to the target.
// Refuses (false) a record that: has version 0 or another magic; has a switch
// other than 0 or 1; has itemCount 0, more items than the record can hold, or
// a collection block (itemCount x 1190 + 24 bytes) beyond 32 bits; has a
// string running past the record or longer than its KeyItem field; names a
// file that is not a plain file name or is the store's temporary file (see
// IsStoreFileName, in the code page of lead). Bytes after the last item are
// ignored. The target may have received part of the collection when the
// decode fails.
bool DecodeSchemeRecord(const uint8_t *record, size_t length, SchemeTarget &target,
                        const LeadBytes &lead);

} // namespace tolvar

#endif // TOLVAR_SCHEME_SCHEME_FORMAT_H
