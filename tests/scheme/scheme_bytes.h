// scheme_bytes.h - building scheme records and files byte by byte for tests,
// including malformed ones, and a collection target that keeps what a decode
// hands it.
#ifndef TOLVAR_TESTS_SCHEME_SCHEME_BYTES_H
#define TOLVAR_TESTS_SCHEME_SCHEME_BYTES_H

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "options/scheme/scheme_format.h"
#include "options/scheme/scheme_store.h"
#include "options/scheme/vector_collection.h"

namespace tolvar {
namespace testing {

using Bytes = std::vector<uint8_t>;

inline void AppendU32(Bytes &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void AppendU64(Bytes &out, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void AppendString(Bytes &out, const std::string &s)
{
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
}

// One item record as a scheme holds it.
struct RawItem {
    int32_t active = 1;
    int32_t keyCode = 20;
    uint8_t modifiers = 0;
    int32_t hasIcon = 1;
    int32_t hasOffState = 1;
    std::string keyName = "Caps Lock";
    std::string files[4];  // sound-on, sound-off, icon-on, icon-off
};

// The record header with chosen values; items appended by AppendItem.
inline Bytes RecordHeader(uint32_t itemCount, uint8_t version = 1, const char *magic = "TVSA",
                          uint32_t beepOnly = 0, uint32_t silent = 1, uint32_t numLockOn = 0,
                          uint32_t addToStartup = 1)
{
    Bytes out;
    out.push_back(version);
    out.insert(out.end(), magic, magic + 4);
    AppendU32(out, beepOnly);
    AppendU32(out, silent);
    AppendU32(out, numLockOn);
    AppendU32(out, addToStartup);
    AppendU32(out, itemCount);
    return out;
}

inline void AppendItem(Bytes &record, const RawItem &item)
{
    AppendU32(record, static_cast<uint32_t>(item.active));
    AppendU32(record, static_cast<uint32_t>(item.keyCode));
    record.push_back(item.modifiers);
    AppendU32(record, static_cast<uint32_t>(item.hasIcon));
    AppendU32(record, static_cast<uint32_t>(item.hasOffState));
    AppendString(record, item.keyName);
    for (const std::string &f : item.files)
        AppendString(record, f);
}

inline Bytes Record(const std::vector<RawItem> &items)
{
    Bytes record = RecordHeader(static_cast<uint32_t>(items.size()));
    for (const RawItem &item : items)
        AppendItem(record, item);
    return record;
}

// A whole scheme file: the plain length, the record scrambled after its
// first byte, then the given tail (entries) as is.
inline Bytes SchemeFileBytes(const Bytes &record, const Bytes &tail = {})
{
    Bytes out;
    AppendU32(out, static_cast<uint32_t>(record.size()));
    Bytes scrambled = record;
    if (scrambled.size() > 1)
        ScrambleBytes(scrambled.data() + 1, scrambled.size() - 1);
    out.insert(out.end(), scrambled.begin(), scrambled.end());
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

// An embedded entry: length, then the content scrambled.
inline void AppendEntry(Bytes &tail, const Bytes &content, uint64_t statedLength)
{
    AppendU64(tail, statedLength);
    Bytes scrambled = content;
    ScrambleBytes(scrambled.data(), scrambled.size());
    tail.insert(tail.end(), scrambled.begin(), scrambled.end());
}

inline void AppendEntry(Bytes &tail, const Bytes &content)
{
    AppendEntry(tail, content, content.size());
}

inline Bytes Text(const std::string &s) { return Bytes(s.begin(), s.end()); }

// Content of n bytes that differs with seed and covers every byte value,
// including 0 and the scrambling key.
inline Bytes Pattern(size_t n, uint32_t seed)
{
    Bytes out(n);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = static_cast<uint8_t>(x >> 16);
    }
    return out;
}

// Runs scramble over every length from 0 to 200 (and around the chunk size)
// at every offset from 0 to 31 of a buffer, and compares each result with the
// rule applied one byte at a time, bytes outside the range included. The
// content mixes every byte value with runs of 0 and of the key, so that every
// lane of a wide step sees each case. Returns "" or the first failing case.
template <typename Scramble>
std::string ScrambleSweep(Scramble scramble)
{
    const size_t kSpan = 51264;
    Bytes original = Pattern(kSpan + 64, 11);
    for (size_t i = 0; i < original.size(); i += 7)
        original[i] = 0;
    for (size_t i = 3; i < original.size(); i += 5)
        original[i] = 0x5E;
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 200; ++n)
        lengths.push_back(n);
    for (size_t n : {51199u, 51200u, 51201u, 51263u})
        lengths.push_back(n);
    Bytes buffer, expected;
    for (size_t offset = 0; offset < 32; ++offset)
        for (size_t length : lengths) {
            // The range and 32 bytes on either side of it.
            buffer.assign(original.begin(), original.begin() + offset + length + 32);
            expected = buffer;
            for (size_t i = offset; i < offset + length; ++i)
                if (expected[i] != 0 && expected[i] != 0x5E)
                    expected[i] ^= 0x5E;
            scramble(buffer.data() + offset, length);
            if (buffer != expected)
                return "offset " + std::to_string(offset) + " length " + std::to_string(length);
        }
    return "";
}

// Keeps the header and items a decode or load hands over.
using RecordingCollection = tolvar::VectorCollection;

inline KeyItem MakeItem(int32_t keyCode, const char *name, const char *soundOn = "",
                        const char *soundOff = "", const char *iconOn = "",
                        const char *iconOff = "")
{
    KeyItem item;
    std::memset(&item, 0, sizeof item);
    item.active = 1;
    item.keyCode = keyCode;
    item.modifiers = 0x05;
    item.hasIcon = 1;
    item.hasOffState = 1;
    std::strncpy(item.keyName, name, sizeof item.keyName - 1);
    std::strncpy(item.soundOnPath, soundOn, TV_PATH_SIZE - 1);
    std::strncpy(item.soundOffPath, soundOff, TV_PATH_SIZE - 1);
    std::strncpy(item.iconOnPath, iconOn, TV_PATH_SIZE - 1);
    std::strncpy(item.iconOffPath, iconOff, TV_PATH_SIZE - 1);
    return item;
}

inline KeyCollectionHeader MakeHeader(uint32_t itemCount)
{
    KeyCollectionHeader header;
    std::memset(&header, 0, sizeof header);
    header.beepOnly = 1;
    header.silent = 0;
    header.numLockOn = 1;
    header.addToStartup = 0;
    header.itemCount = itemCount;
    return header;
}

} // namespace testing
} // namespace tolvar

#endif // TOLVAR_TESTS_SCHEME_SCHEME_BYTES_H
