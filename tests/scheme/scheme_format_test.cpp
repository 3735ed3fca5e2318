// Scheme record codec, scrambling and CRC-32.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "options/scheme/scheme_format.h"
#include "tests/scheme/scheme_bytes.h"

namespace tolvar {
namespace {

using namespace tolvar::testing;

struct CrcVector {
    const char *label;
    std::string input;
    uint32_t crc;
};

TEST(Crc32, KnownVectors)
{
    const CrcVector vectors[] = {
        {"empty", "", 0x00000000u},
        {"check value", "123456789", 0xCBF43926u},
        {"single a", "a", 0xE8B7BE43u},
        {"pangram", "The quick brown fox jumps over the lazy dog", 0x414FA339u},
        {"one zero byte", std::string(1, '\0'), 0xD202EF8Du},
    };
    for (const CrcVector &v : vectors) {
        uint32_t crc = ~UpdateCrc32(v.input.data(), v.input.size(), kCrc32Start);
        EXPECT_EQ(crc, v.crc) << v.label;
    }
}

// The definition, one bit at a time, as a reference for the table-driven code.
uint32_t BitwiseCrc32(const uint8_t *bytes, size_t count, uint32_t crc)
{
    for (size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1u) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc;
}

TEST(Crc32, MatchesTheBitwiseDefinitionAtEveryLengthAndOffset)
{
    Bytes data = Pattern(4096, 11);
    for (size_t offset = 0; offset < 8; ++offset)
        for (size_t length : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 64u, 1000u, 4000u}) {
            uint32_t start = static_cast<uint32_t>(0x12345678u * (length + 1));
            EXPECT_EQ(UpdateCrc32(data.data() + offset, length, start),
                      BitwiseCrc32(data.data() + offset, length, start))
                << "offset " << offset << " length " << length;
        }
}

TEST(Crc32, ChunkedRunEqualsWholeRun)
{
    Bytes data = Pattern(100000, 7);
    uint32_t whole = UpdateCrc32(data.data(), data.size(), kCrc32Start);
    for (size_t chunk : {1u, 3u, 4096u, 51200u, 99999u}) {
        uint32_t crc = kCrc32Start;
        for (size_t at = 0; at < data.size(); at += chunk)
            crc = UpdateCrc32(data.data() + at, std::min(chunk, data.size() - at), crc);
        EXPECT_EQ(crc, whole) << "chunk " << chunk;
    }
}

TEST(PathField, AddressesTheFourFieldsInSchemeOrder)
{
    KeyItem item;
    const char *expected[4] = {item.soundOnPath, item.soundOffPath, item.iconOnPath,
                               item.iconOffPath};
    for (int f = 0; f < kPathFieldCount; ++f) {
        EXPECT_EQ(PathField(item, f), expected[f]) << f;
        EXPECT_EQ(PathField(static_cast<const KeyItem &>(item), f), expected[f]) << f;
        EXPECT_EQ(IsIconField(f), f >= 2) << f;
    }
}

TEST(Scramble, EveryByteValue)
{
    uint8_t bytes[256];
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<uint8_t>(i);
    ScrambleBytes(bytes, sizeof bytes);
    for (int i = 0; i < 256; ++i) {
        uint8_t expected = (i == 0 || i == 0x5E) ? static_cast<uint8_t>(i)
                                                 : static_cast<uint8_t>(i ^ 0x5E);
        EXPECT_EQ(bytes[i], expected) << "byte " << i;
    }
    ScrambleBytes(bytes, sizeof bytes);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(bytes[i], i) << "twice restores byte " << i;
}

// Each way of scrambling, and the one ScrambleBytes picks, against the rule
// one byte at a time, at every alignment and length.
TEST(Scramble, EveryWayEqualsTheRuleAtEveryAlignmentAndLength)
{
    EXPECT_EQ(ScrambleSweep(ScrambleBytesPlain), "") << "plain";
    EXPECT_EQ(ScrambleSweep(ScrambleBytes), "") << "ScrambleBytes";
#if defined(__x86_64__)
    EXPECT_TRUE(ScrambleBytesSse2(nullptr, 0)) << "every 64-bit x86 CPU has SSE2";
#endif
    if (ScrambleBytesSse2(nullptr, 0)) {
        EXPECT_EQ(ScrambleSweep(ScrambleBytesSse2), "") << "SSE2";
    }
}

TEST(Scramble, ChunkByChunkEqualsWhole)
{
    Bytes a = Pattern(1000, 3), b = a;
    ScrambleBytes(a.data(), a.size());
    ScrambleBytes(b.data(), 333);
    ScrambleBytes(b.data() + 333, b.size() - 333);
    EXPECT_EQ(a, b);
}

// Encodes a header and items, returning the record.
Bytes Encode(const KeyCollectionHeader &header, const std::vector<KeyItem> &items)
{
    size_t length = 0;
    uint8_t *raw = EncodeSchemeRecord(header, items.data(), &length);
    EXPECT_NE(raw, nullptr);
    Bytes record(raw, raw + length);
    std::free(raw);
    return record;
}

TEST(SchemeRecord, EncodesTheDocumentedLayout)
{
    KeyCollectionHeader header = MakeHeader(1);
    KeyItem item = MakeItem(0x41, "A", "on.wav", "", "i.ico", "");
    item.active = 0;
    item.modifiers = 0x85;
    item.hasIcon = 1;
    item.hasOffState = 0;
    Bytes expected = RecordHeader(1, 1, "TVSA", 1, 0, 1, 0);
    RawItem raw;
    raw.active = 0;
    raw.keyCode = 0x41;
    raw.modifiers = 0x85;
    raw.hasIcon = 1;
    raw.hasOffState = 0;
    raw.keyName = "A";
    raw.files[0] = "on.wav";
    raw.files[2] = "i.ico";
    AppendItem(expected, raw);
    EXPECT_EQ(Encode(header, {item}), expected);
}

TEST(SchemeRecord, EmptyItemTakes22Bytes)
{
    KeyItem item = MakeItem(20, "");
    Bytes record = Encode(MakeHeader(1), {item});
    EXPECT_EQ(record.size(), kSchemeRecordHeaderSize + 22);
}

TEST(SchemeRecord, UnterminatedFieldIsCutAtItsEnd)
{
    KeyItem item = MakeItem(20, "x");
    std::memset(item.keyName, 'k', sizeof item.keyName);  // no terminator at all
    Bytes record = Encode(MakeHeader(1), {item});
    EXPECT_EQ(record.size(), kSchemeRecordHeaderSize + 22 + 128);
    RecordingCollection decoded;
    ASSERT_TRUE(DecodeSchemeRecord(record.data(), record.size(), decoded, LeadBytes()));
    EXPECT_EQ(std::string(decoded.items[0].keyName), std::string(128, 'k'));
}

TEST(SchemeRecord, RoundTripKeepsEveryField)
{
    std::vector<KeyItem> items = {
        MakeItem(20, "Caps Lock", "on.wav", "off.wav", "c-on.ico", "c-off.ico"),
        MakeItem(144, std::string(128, 'N').c_str(), std::string(260, 's').c_str()),
        MakeItem(-1, "", "", "", "", "only-off.ico"),
    };
    items[1].active = 0;
    items[1].modifiers = 0xFF;
    items[2].hasIcon = 0;
    items[2].hasOffState = 0;
    Bytes record = Encode(MakeHeader(3), items);
    RecordingCollection decoded;
    ASSERT_TRUE(DecodeSchemeRecord(record.data(), record.size(), decoded, LeadBytes()));
    EXPECT_EQ(decoded.headerCalls, 1);
    EXPECT_EQ(+decoded.header.beepOnly, 1);
    EXPECT_EQ(+decoded.header.silent, 0);
    EXPECT_EQ(+decoded.header.numLockOn, 1);
    EXPECT_EQ(+decoded.header.addToStartup, 0);
    EXPECT_EQ(+decoded.header.itemCount, 3u);
    ASSERT_EQ(decoded.items.size(), 3u);
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(std::memcmp(&decoded.items[i], &items[i], sizeof(KeyItem)), 0) << "item " << i;
}

// Decode outcomes over one well-formed record changed in one place.
struct DecodeCase {
    const char *label;
    Bytes record;
    bool ok;
};

Bytes WithItem(Bytes header, const RawItem &item)
{
    AppendItem(header, item);
    return header;
}

RawItem NamedFiles(const char *soundOn, const char *iconOff = "")
{
    RawItem item;
    item.files[0] = soundOn;
    item.files[3] = iconOff;
    return item;
}

TEST(SchemeRecord, DecodeChecksTable)
{
    RawItem plain = NamedFiles("beep.wav", "key.ico");
    Bytes good = WithItem(RecordHeader(1), plain);
    Bytes trailing = good;
    trailing.insert(trailing.end(), {1, 2, 3, 4, 5});

    RawItem longName;
    longName.keyName = std::string(129, 'n');
    RawItem maxName;
    maxName.keyName = std::string(128, 'n');
    RawItem longPath = NamedFiles(std::string(261, 'p').c_str());
    RawItem maxPath = NamedFiles(std::string(260, 'p').c_str());

    Bytes cutString = good;
    cutString.pop_back();  // the icon-off name loses its terminator
    Bytes cutFixed = RecordHeader(2);
    AppendItem(cutFixed, plain);
    cutFixed.resize(cutFixed.size() + 22, 0);  // room for the count...
    cutFixed.resize(cutFixed.size() - 10);     // ...but the second item is cut short
    Bytes twoShort = RecordHeader(2);
    AppendItem(twoShort, RawItem{});  // one long item leaves too little for the second
    twoShort.resize(kSchemeRecordHeaderSize + 44, 0);
    Bytes countBeyondRecord = WithItem(RecordHeader(2), RawItem{});

    const DecodeCase cases[] = {
        {"well formed", good, true},
        {"version 2", WithItem(RecordHeader(1, 2), plain), true},
        {"version 255", WithItem(RecordHeader(1, 255), plain), true},
        {"version 0", WithItem(RecordHeader(1, 0), plain), false},
        {"other magic", WithItem(RecordHeader(1, 1, "TVSB"), plain), false},
        {"lower-case magic", WithItem(RecordHeader(1, 1, "tvsa"), plain), false},
        {"beepOnly 2", WithItem(RecordHeader(1, 1, "TVSA", 2), plain), false},
        {"silent 2", WithItem(RecordHeader(1, 1, "TVSA", 0, 2), plain), false},
        {"numLockOn -1", WithItem(RecordHeader(1, 1, "TVSA", 0, 0, 0xFFFFFFFFu), plain), false},
        {"addToStartup 2", WithItem(RecordHeader(1, 1, "TVSA", 0, 0, 0, 2), plain), false},
        {"all switches 1", WithItem(RecordHeader(1, 1, "TVSA", 1, 1, 1, 1), plain), true},
        {"itemCount 0", RecordHeader(0), false},
        {"itemCount 0 with item bytes", WithItem(RecordHeader(0), plain), false},
        {"bytes after the last item", trailing, true},
        {"header only", RecordHeader(1), false},
        {"shorter than the header", Bytes(good.begin(), good.begin() + 24), false},
        {"empty record", Bytes(), false},
        {"string runs past the record", cutString, false},
        {"second item cut inside its fixed part", cutFixed, false},
        {"second item cut after a long first", twoShort, false},
        {"itemCount beyond the record", countBeyondRecord, false},
        {"key name of 128", WithItem(RecordHeader(1), maxName), true},
        {"key name of 129", WithItem(RecordHeader(1), longName), false},
        {"path of 260", WithItem(RecordHeader(1), maxPath), true},
        {"path of 261", WithItem(RecordHeader(1), longPath), false},
        {"name with folder", WithItem(RecordHeader(1), NamedFiles("..\\evil.wav")), false},
        {"name with slash", WithItem(RecordHeader(1), NamedFiles("a/b.wav")), false},
        {"name with drive", WithItem(RecordHeader(1), NamedFiles("C:evil.wav")), false},
        {"name with stream", WithItem(RecordHeader(1), NamedFiles("a.wav:s")), false},
        {"dot dot name", WithItem(RecordHeader(1), NamedFiles("..")), false},
        {"device name", WithItem(RecordHeader(1), NamedFiles("", "con.ico")), false},
        {"wildcard name", WithItem(RecordHeader(1), NamedFiles("*.wav")), false},
        {"key name with backslash is fine", [] {
             RawItem item;
             item.keyName = "Ctrl + \\";
             return WithItem(RecordHeader(1), item);
         }(), true},
    };
    for (const DecodeCase &c : cases) {
        RecordingCollection target;
        EXPECT_EQ(DecodeSchemeRecord(c.record.data(), c.record.size(), target, LeadBytes()), c.ok) << c.label;
    }
}

TEST(SchemeRecord, CountCheckedBeforeTheTargetIsSized)
{
    // A huge itemCount must be refused before SetHeader asks for a block.
    Bytes record = WithItem(RecordHeader(1000000), RawItem{});
    RecordingCollection target;
    EXPECT_FALSE(DecodeSchemeRecord(record.data(), record.size(), target, LeadBytes()));
    EXPECT_EQ(target.headerCalls, 0);
}

// Counts SetHeader calls and refuses them, so that no block is ever built.
class HeaderProbe final : public SchemeTarget {
public:
    bool SetHeader(const KeyCollectionHeader &) override
    {
        ++calls;
        return false;
    }
    bool AppendItem(const KeyItem &) override { return false; }
    int calls = 0;
};

TEST(SchemeRecord, BlockSizeMustFit32Bits)
{
    // 3609216 items make a block of 4294967064 bytes; one more passes 4 GiB.
    // The records hold enough 22-byte items for either count.
    struct {
        uint32_t count;
        int headerCalls;
    } cases[] = {{3609216u, 1}, {3609217u, 0}};
    for (const auto &c : cases) {
        Bytes record = RecordHeader(c.count);
        record.resize(record.size() + size_t(c.count) * 22, 0);
        HeaderProbe probe;
        EXPECT_FALSE(DecodeSchemeRecord(record.data(), record.size(), probe, LeadBytes())) << c.count;
        EXPECT_EQ(probe.calls, c.headerCalls) << c.count;
    }
}

// A target that refuses to grow, as a collection without memory would.
class RefusingTarget final : public SchemeTarget {
public:
    explicit RefusingTarget(bool refuseHeader) : refuseHeader_(refuseHeader) {}
    bool SetHeader(const KeyCollectionHeader &) override { return !refuseHeader_; }
    bool AppendItem(const KeyItem &) override { return false; }

private:
    bool refuseHeader_;
};

TEST(SchemeRecord, TargetRefusalFailsTheDecode)
{
    Bytes record = Record({RawItem{}});
    RefusingTarget noHeader(true), noItem(false);
    EXPECT_FALSE(DecodeSchemeRecord(record.data(), record.size(), noHeader, LeadBytes()));
    EXPECT_FALSE(DecodeSchemeRecord(record.data(), record.size(), noItem, LeadBytes()));
}

} // namespace
} // namespace tolvar
