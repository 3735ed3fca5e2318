// collection_size.h - the size of a KeyCollection's data block and where its
// item slots lie. Platform-free.
#ifndef TOLVAR_FRAME_COLLECTION_SIZE_H
#define TOLVAR_FRAME_COLLECTION_SIZE_H

#include <cstdint>

namespace tolvar {

// Bytes of a block holding itemCount items after its 24-byte header:
// itemCount * 1190 + 24. False when that does not fit in 32 bits (the block
// could not be addressed by a 32-bit host), and *bytes is then untouched.
bool CollectionBlockSize(uint32_t itemCount, uint32_t *bytes);

// How many whole item slots a block of blockBytes bytes holds (0 when it is
// smaller than the header).
uint32_t CollectionSlotCapacity(uint64_t blockBytes);

// Offset of slot index from the start of the block.
constexpr uint64_t CollectionSlotOffset(uint32_t index)
{
    return 24u + static_cast<uint64_t>(index) * 1190u;
}

} // namespace tolvar

#endif // TOLVAR_FRAME_COLLECTION_SIZE_H
