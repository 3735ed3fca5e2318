#include "options/frame/collection_size.h"

namespace tolvar {

namespace {
constexpr uint64_t kHeaderBytes = 24;
constexpr uint64_t kItemBytes = 1190;
} // namespace

bool CollectionBlockSize(uint32_t itemCount, uint32_t *bytes)
{
    uint64_t total = kHeaderBytes + static_cast<uint64_t>(itemCount) * kItemBytes;
    if (total > UINT32_MAX)
        return false;
    *bytes = static_cast<uint32_t>(total);
    return true;
}

uint32_t CollectionSlotCapacity(uint64_t blockBytes)
{
    if (blockBytes < kHeaderBytes)
        return 0;
    uint64_t slots = (blockBytes - kHeaderBytes) / kItemBytes;
    return slots > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(slots);
}

} // namespace tolvar
