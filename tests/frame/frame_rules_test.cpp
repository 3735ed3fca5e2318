// Native tests of the frame's platform-free rules: the collection block size
// and its slots, the window placement, the default icon choice.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "options/frame/collection_size.h"
#include "options/frame/default_icons.h"
#include "options/frame/window_placement.h"

using namespace tolvar;

namespace {

// The largest item count whose block still fits in 32 bits.
constexpr uint32_t kMaxItems = (UINT32_MAX - 24u) / 1190u;

TEST(CollectionBlockSize, FitsOrRefuses)
{
    struct Case {
        const char *label;
        uint32_t itemCount;
        bool fits;
        uint32_t bytes;
    };
    const Case cases[] = {
        {"empty header only", 0, true, 24},
        {"one item", 1, true, 1214},
        {"three items", 3, true, 3594},
        {"largest that fits", kMaxItems, true, kMaxItems * 1190u + 24u},
        {"one more overflows", kMaxItems + 1, false, 0},
        {"count whose 32-bit product wraps to 24", 0x80000000u, false, 0},
        {"all bits set", UINT32_MAX, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        uint32_t bytes = 0xDEADBEEF;
        EXPECT_EQ(CollectionBlockSize(c.itemCount, &bytes), c.fits);
        EXPECT_EQ(bytes, c.fits ? c.bytes : 0xDEADBEEFu) << "untouched on refusal";
    }
}

TEST(CollectionBlockSize, CapacityOfABlockIsItsItemCount)
{
    const uint32_t counts[] = {0, 1, 2, 7, 1000, kMaxItems};
    for (uint32_t n : counts) {
        uint32_t bytes = 0;
        ASSERT_TRUE(CollectionBlockSize(n, &bytes));
        EXPECT_EQ(CollectionSlotCapacity(bytes), n) << n;
        EXPECT_EQ(CollectionSlotCapacity(uint64_t(bytes) + 1189u), n) << "partial slot does not count";
        EXPECT_LE(CollectionSlotOffset(n > 0 ? n - 1 : 0) + (n > 0 ? 1190u : 0u), bytes);
    }
    EXPECT_EQ(CollectionSlotCapacity(0), 0u);
    EXPECT_EQ(CollectionSlotCapacity(23), 0u);
    EXPECT_EQ(CollectionSlotCapacity(uint64_t(1) << 60), UINT32_MAX) << "clamped";
}

TEST(CollectionSlotOffset, SlotsFollowTheHeaderWithoutGaps)
{
    EXPECT_EQ(CollectionSlotOffset(0), 24u);
    EXPECT_EQ(CollectionSlotOffset(1), 1214u);
    EXPECT_EQ(CollectionSlotOffset(UINT32_MAX), 24u + uint64_t(UINT32_MAX) * 1190u)
        << "no 32-bit wrap";
}

TEST(CenteredOrigin, CentresAndPlacesAThirdDown)
{
    struct Case {
        const char *label;
        int refWidth, refHeight, width, height;
        int x, y;
    };
    const Case cases[] = {
        {"even free space", 1024, 768, 400, 300, 312, 156},
        {"odd free space truncates", 1025, 770, 400, 300, 312, 156},
        {"exact fit", 640, 480, 640, 480, 0, 0},
        {"wider than the area: toward zero", 100, 100, 105, 110, -2, -3},
        {"much larger", 800, 600, 1001, 1000, -100, -133},
        {"zero-size window", 800, 600, 0, 0, 400, 200},
        {"extreme sizes do not overflow", INT_MAX, INT_MAX, INT_MIN, INT_MIN,
         static_cast<int>((int64_t(INT_MAX) - INT_MIN) / 2),
         static_cast<int>((int64_t(INT_MAX) - INT_MIN) / 3)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        WindowOrigin origin = CenteredOrigin(c.refWidth, c.refHeight, c.width, c.height);
        EXPECT_EQ(origin.x, c.x);
        EXPECT_EQ(origin.y, c.y);
    }
}

TEST(DefaultStateIconId, LockKeysOnlyByWholeKeyCode)
{
    struct Case {
        int32_t keyCode;
        int on, off;
    };
    const Case cases[] = {
        {20, 2000, 2001},   {144, 3000, 3001}, {145, 4000, 4001},
        {65, 0, 0},         {0, 0, 0},         {-20, 0, 0},
        {20 + 0x10000, 0, 0}, // compared as a whole 32-bit value
        {146, 0, 0},        {19, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.keyCode);
        EXPECT_EQ(DefaultStateIconId(c.keyCode, true), c.on);
        EXPECT_EQ(DefaultStateIconId(c.keyCode, false), c.off);
    }
}

} // namespace
