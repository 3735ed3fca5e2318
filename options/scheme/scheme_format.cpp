// scheme_format.cpp - scheme record codec, byte scrambling and CRC-32.
#include "options/scheme/scheme_format.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <emmintrin.h>
#endif

#include "options/scheme/store_names.h"

namespace tolvar {

namespace {

const char kMagic[4] = {'T', 'V', 'S', 'A'};

// The usual 256-entry table of the reflected polynomial (row 0), and seven
// more rows derived from it so that eight bytes can be folded in per step
// ("slicing by 8"); the result is the same as one byte at a time. Built once
// at compile time.
struct Crc32Table {
    uint32_t rows[8][256];
    constexpr Crc32Table() : rows()
    {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            rows[0][n] = c;
        }
        for (uint32_t n = 0; n < 256; ++n)
            for (int r = 1; r < 8; ++r)
                rows[r][n] = (rows[r - 1][n] >> 8) ^ rows[0][rows[r - 1][n] & 0xFFu];
    }
};
constexpr Crc32Table kCrcTable;

void PutU32(uint8_t *at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t GetU32(const uint8_t *at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

// Length of a string held in a fixed field, stopping at the field's end.
size_t FieldLength(const char *field, size_t fieldSize)
{
    const void *nul = std::memchr(field, 0, fieldSize);
    return nul ? static_cast<size_t>(static_cast<const char *>(nul) - field) : fieldSize - 1;
}

// The five string fields of an item in record order, with their capacities.
struct StringField {
    size_t offset;
    size_t size;
};
const StringField kStringFields[5] = {
    {offsetof(KeyItem, keyName), TV_KEY_NAME_SIZE},
    {offsetof(KeyItem, soundOnPath), TV_PATH_SIZE},
    {offsetof(KeyItem, soundOffPath), TV_PATH_SIZE},
    {offsetof(KeyItem, iconOnPath), TV_PATH_SIZE},
    {offsetof(KeyItem, iconOffPath), TV_PATH_SIZE},
};

size_t ItemRecordLength(const KeyItem &item)
{
    size_t length = kSchemeItemFixedSize;
    const char *base = reinterpret_cast<const char *>(&item);
    for (const StringField &f : kStringFields)
        length += FieldLength(base + f.offset, f.size) + 1;
    return length;
}

} // namespace

// The four path fields are one array of 261-byte strings; address them from
// the record's start, not past the end of the first field.
char *PathField(KeyItem &item, int index)
{
    return reinterpret_cast<char *>(&item) + offsetof(KeyItem, soundOnPath) +
           static_cast<size_t>(index) * TV_PATH_SIZE;
}

const char *PathField(const KeyItem &item, int index)
{
    return reinterpret_cast<const char *>(&item) + offsetof(KeyItem, soundOnPath) +
           static_cast<size_t>(index) * TV_PATH_SIZE;
}

namespace {

// Sets the high bit of exactly those bytes of w that are zero, and no other
// bit. (b & 0x7F) + 0x7F reaches the high bit unless the low seven bits are
// zero and never carries into the next byte; or-ing b adds its own high bit.
inline uint32_t ZeroBytes(uint32_t w)
{
    const uint32_t lows = 0x7F7F7F7Fu;
    return ~(((w & lows) + lows) | w | lows);
}

#if defined(__i386__) || defined(__x86_64__)
#define TOLVAR_SCRAMBLE_SSE2 1

// The 32-bit Windows target may run on a CPU without SSE2: ask the CPU once.
bool CpuHasSse2()
{
#if defined(__x86_64__)
    return true;  // part of the 64-bit architecture
#else
    unsigned eax, ebx, ecx, edx;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & bit_SSE2) != 0;
#endif
}

std::atomic<int> g_sse2{-1};  // -1 not asked yet, else 0 or 1

bool HaveSse2()
{
    int known = g_sse2.load(std::memory_order_relaxed);
    if (known < 0) {
        known = CpuHasSse2() ? 1 : 0;
        g_sse2.store(known, std::memory_order_relaxed);
    }
    return known != 0;
}

// One aligned 16-byte step: where a byte is 0 or the key the mask is all
// ones and the byte stays; every other byte is exclusive-ored with the key.
__attribute__((target("sse2"), always_inline)) inline void Scramble16(uint8_t *at)
{
    const __m128i key = _mm_set1_epi8(static_cast<char>(kSchemeScrambleKey));
    const __m128i v = _mm_load_si128(reinterpret_cast<const __m128i *>(at));
    const __m128i leave =
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_setzero_si128()), _mm_cmpeq_epi8(v, key));
    _mm_store_si128(reinterpret_cast<__m128i *>(at), _mm_xor_si128(v, _mm_andnot_si128(leave, key)));
}

// Sixteen bytes per step from the first 16-byte boundary on; the bytes
// before it and after the last whole step go the plain way.
__attribute__((target("sse2"))) void ScrambleSse2(uint8_t *bytes, size_t count)
{
    size_t head = (16 - (reinterpret_cast<uintptr_t>(bytes) & 15)) & 15;
    if (head > count)
        head = count;
    ScrambleBytesPlain(bytes, head);
    bytes += head;
    count -= head;

    size_t i = 0;
    for (; i + 64 <= count; i += 64) {
        Scramble16(bytes + i);
        Scramble16(bytes + i + 16);
        Scramble16(bytes + i + 32);
        Scramble16(bytes + i + 48);
    }
    for (; i + 16 <= count; i += 16)
        Scramble16(bytes + i);
    ScrambleBytesPlain(bytes + i, count - i);
}
#endif

} // namespace

void ScrambleBytesPlain(void *buffer, size_t count)
{
    uint8_t *bytes = static_cast<uint8_t *>(buffer);
    // Four bytes per step with plain 32-bit arithmetic: the key goes into
    // every byte that is neither 0 nor the key itself.
    const uint32_t ones = 0x01010101u;
    const uint32_t keys = kSchemeScrambleKey * ones;
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        uint32_t w;
        std::memcpy(&w, bytes + i, 4);
        const uint32_t leave = (ZeroBytes(w) | ZeroBytes(w ^ keys)) >> 7;
        w ^= (~leave & ones) * kSchemeScrambleKey;
        std::memcpy(bytes + i, &w, 4);
    }
    for (; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (b != 0 && b != kSchemeScrambleKey)
            bytes[i] = static_cast<uint8_t>(b ^ kSchemeScrambleKey);
    }
}

bool ScrambleBytesSse2(void *buffer, size_t count)
{
#ifdef TOLVAR_SCRAMBLE_SSE2
    if (!HaveSse2())
        return false;
    ScrambleSse2(static_cast<uint8_t *>(buffer), count);
    return true;
#else
    (void)buffer;
    (void)count;
    return false;
#endif
}

void ScrambleBytes(void *buffer, size_t count)
{
    // Short runs (record fields) are not worth the vector set-up.
    if (count < 64 || !ScrambleBytesSse2(buffer, count))
        ScrambleBytesPlain(buffer, count);
}

uint32_t UpdateCrc32(const void *buffer, size_t count, uint32_t crc)
{
    const uint8_t *bytes = static_cast<const uint8_t *>(buffer);
    const auto &t = kCrcTable.rows;
    // Eight bytes per step: the low four are folded into the running value,
    // the high four are looked up independently.
    while (count >= 8) {
        uint32_t low = crc ^ (static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                              static_cast<uint32_t>(bytes[2]) << 16 |
                              static_cast<uint32_t>(bytes[3]) << 24);
        crc = t[7][low & 0xFFu] ^ t[6][(low >> 8) & 0xFFu] ^ t[5][(low >> 16) & 0xFFu] ^
              t[4][low >> 24] ^ t[3][bytes[4]] ^ t[2][bytes[5]] ^ t[1][bytes[6]] ^
              t[0][bytes[7]];
        bytes += 8;
        count -= 8;
    }
    for (; count > 0; --count, ++bytes)
        crc = t[0][(crc ^ *bytes) & 0xFFu] ^ (crc >> 8);
    return crc;
}

uint8_t *EncodeSchemeRecord(const KeyCollectionHeader &header, const KeyItem *items,
                            size_t *length)
{
    // Sized exactly, so a large itemCount cannot overflow a bound computed
    // from the worst case.
    size_t total = kSchemeRecordHeaderSize;
    for (uint32_t i = 0; i < header.itemCount; ++i) {
        size_t itemLength = ItemRecordLength(items[i]);
        if (total > SIZE_MAX - itemLength)
            return nullptr;
        total += itemLength;
    }
    uint8_t *record = static_cast<uint8_t *>(std::malloc(total));
    if (!record)
        return nullptr;

    uint8_t *at = record;
    *at++ = kSchemeVersion;
    std::memcpy(at, kMagic, sizeof kMagic);
    at += sizeof kMagic;
    PutU32(at, static_cast<uint32_t>(header.beepOnly));
    PutU32(at + 4, static_cast<uint32_t>(header.silent));
    PutU32(at + 8, static_cast<uint32_t>(header.numLockOn));
    PutU32(at + 12, static_cast<uint32_t>(header.addToStartup));
    PutU32(at + 16, header.itemCount);
    at += 20;

    for (uint32_t i = 0; i < header.itemCount; ++i) {
        const KeyItem &item = items[i];
        PutU32(at, static_cast<uint32_t>(item.active));
        PutU32(at + 4, static_cast<uint32_t>(item.keyCode));
        at[8] = item.modifiers;
        PutU32(at + 9, static_cast<uint32_t>(item.hasIcon));
        PutU32(at + 13, static_cast<uint32_t>(item.hasOffState));
        at += kSchemeItemFixedSize;
        const char *base = reinterpret_cast<const char *>(&item);
        for (const StringField &f : kStringFields) {
            size_t n = FieldLength(base + f.offset, f.size);
            std::memcpy(at, base + f.offset, n);
            at[n] = 0;
            at += n + 1;
        }
    }
    *length = total;
    return record;
}

bool DecodeSchemeRecord(const uint8_t *record, size_t length, SchemeTarget &target,
                        const LeadBytes &lead)
{
    if (!record || length < kSchemeRecordHeaderSize)
        return false;
    if (record[0] == 0 || std::memcmp(record + 1, kMagic, sizeof kMagic) != 0)
        return false;

    KeyCollectionHeader header;
    std::memset(&header, 0, sizeof header);
    uint32_t switches[4];
    for (int i = 0; i < 4; ++i) {
        switches[i] = GetU32(record + 5 + 4 * i);
        if (switches[i] > 1)
            return false;
    }
    header.beepOnly = static_cast<int32_t>(switches[0]);
    header.silent = static_cast<int32_t>(switches[1]);
    header.numLockOn = static_cast<int32_t>(switches[2]);
    header.addToStartup = static_cast<int32_t>(switches[3]);
    header.itemCount = GetU32(record + 21);

    const size_t itemsLength = length - kSchemeRecordHeaderSize;
    if (header.itemCount == 0 || header.itemCount > itemsLength / kSchemeItemMinSize)
        return false;
    // The collection block must be addressable with 32 bits.
    if (header.itemCount > (UINT32_MAX - TV_COLLECTION_HEADER_SIZE) / TV_KEY_ITEM_SIZE)
        return false;
    if (!target.SetHeader(header))
        return false;

    size_t pos = kSchemeRecordHeaderSize;
    for (uint32_t i = 0; i < header.itemCount; ++i) {
        if (length - pos < kSchemeItemMinSize)
            return false;
        KeyItem item;
        std::memset(&item, 0, sizeof item);
        const uint8_t *at = record + pos;
        item.active = static_cast<int32_t>(GetU32(at));
        item.keyCode = static_cast<int32_t>(GetU32(at + 4));
        item.modifiers = at[8];
        item.hasIcon = static_cast<int32_t>(GetU32(at + 9));
        item.hasOffState = static_cast<int32_t>(GetU32(at + 13));
        pos += kSchemeItemFixedSize;

        char *base = reinterpret_cast<char *>(&item);
        for (int s = 0; s < 5; ++s) {
            const StringField &f = kStringFields[s];
            const void *nul = std::memchr(record + pos, 0, length - pos);
            if (!nul)
                return false;  // runs past the record
            size_t n = static_cast<size_t>(static_cast<const uint8_t *>(nul) - (record + pos));
            if (n >= f.size)
                return false;  // would not fit its field
            std::memcpy(base + f.offset, record + pos, n);
            pos += n + 1;
            // A file name is used to build a path in the store: only a plain
            // name, and not the one the load itself writes, may come from a
            // scheme.
            if (s > 0 && n > 0 && !IsStoreFileName(base + f.offset, lead))
                return false;
        }
        if (!target.AppendItem(item))
            return false;
    }
    return true;
}

} // namespace tolvar
