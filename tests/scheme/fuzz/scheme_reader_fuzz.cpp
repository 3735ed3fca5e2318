// Fuzz target for the scheme reader: the input is a whole scheme file, read
// from an in-memory file system into an in-memory resource store that holds
// a few files already (one of them unreadable). Besides the sanitizers'
// checks it aborts when a load leaves a temporary file or an open handle,
// writes outside "Sounds"/"Icons", changes a file that was there before,
// succeeds with a path that is neither empty, a plain name nor a readable
// file of the store; and when a record that decodes does not survive
// encoding and decoding again unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <strings.h>
#include <string>
#include <vector>

#include "options/scheme/scheme_format.h"
#include "options/scheme/scheme_store.h"
#include "options/scheme/store_names.h"
#include "tests/scheme/memory_files.h"
#include "tests/scheme/scheme_bytes.h"

namespace {

using namespace tolvar;
using namespace tolvar::testing;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool StartsWith(const std::string &s, const char *prefix)
{
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

void CheckLoad(const uint8_t *data, size_t size)
{
    MemoryFiles fs;
    fs.files["C:\\Host\\in.tvs"].assign(data, data + size);
    // Existing store files, so that reuse, comparisons and counted names are
    // reached; b.wav cannot be read, so it must never be taken as equal.
    fs.folders.insert("C:\\Host\\Sounds");
    fs.folders.insert("C:\\Host\\Icons");
    const std::map<std::string, std::vector<uint8_t>> before = {
        {"C:\\Host\\Sounds\\a.wav", {'a'}},
        {"C:\\Host\\Sounds\\a001.wav", {'a', 'a'}},
        {"C:\\Host\\Sounds\\b.wav", {'b'}},
        {"C:\\Host\\Icons\\c.ico", {0, 0x5E, 'c'}},
    };
    for (const auto &f : before)
        fs.files[f.first] = f.second;
    fs.unreadable.insert("C:\\Host\\Sounds\\b.wav");

    RecordingCollection loaded;
    bool ok = ReadSchemeFile(fs, "C:\\Host\\in.tvs", loaded);
    Check(fs.openHandles == 0);
    for (const auto &f : fs.files) {
        const std::string &path = f.first;
        Check(path == "C:\\Host\\in.tvs" || StartsWith(path, "C:\\Host\\Sounds\\") ||
              StartsWith(path, "C:\\Host\\Icons\\"));
        Check(strcasecmp(LastPathComponent(path.c_str(), LeadBytes()), kStoreTempFileName) != 0);
    }
    for (const auto &f : before)
        Check(fs.files[f.first] == f.second);
    if (!ok)
        return;
    for (const KeyItem &item : loaded.items)
        for (int f = 0; f < kPathFieldCount; ++f) {
            const char *path = PathField(item, f);
            Check(std::memchr(path, 0, TV_PATH_SIZE) != nullptr);
            if (!*path || IsPlainFileName(path, LeadBytes()))
                continue;
            Check(fs.files.count(path) == 1 && fs.unreadable.count(path) == 0);
            Check(StartsWith(path, IsIconField(f) ? "C:\\Host\\Icons\\" : "C:\\Host\\Sounds\\"));
        }
}

void CheckRecordRoundTrip(const uint8_t *data, size_t size)
{
    RecordingCollection first;
    if (!DecodeSchemeRecord(data, size, first, LeadBytes()))
        return;
    KeyCollectionHeader header = first.header;
    Check(header.itemCount == first.items.size());
    size_t length = 0;
    uint8_t *record = EncodeSchemeRecord(header, first.items.data(), &length);
    Check(record != nullptr && length <= size);
    RecordingCollection second;
    Check(DecodeSchemeRecord(record, length, second, LeadBytes()));
    std::free(record);
    Check(second.items.size() == first.items.size());
    Check(std::memcmp(&second.header, &first.header, 20) == 0);
    for (size_t i = 0; i < first.items.size(); ++i)
        Check(std::memcmp(&second.items[i], &first.items[i], sizeof(KeyItem)) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CheckLoad(data, size);
    // The record itself, as DecodeSchemeRecord sees it after unscrambling.
    if (size > 4) {
        std::vector<uint8_t> record(data + 4, data + size);
        ScrambleBytes(record.data() + 1, record.size() - 1);
        CheckRecordRoundTrip(record.data(), record.size());
    }
    return 0;
}
