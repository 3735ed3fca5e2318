// make_sample_scheme - writes a scheme file for the release, with the options
// library's own scheme writer (the code behind its Save... button, here over
// POSIX file calls), embedding media files that ship with the program. Then
// reads it back with the library's own reader into a scratch folder and
// checks that every key and every embedded file came back unchanged, so a
// release never carries a scheme that Load... would refuse.
//
//   make_sample_scheme OUTPUT.tvs SCRATCH_DIR KEY...
//   KEY = keyCode:name:soundOn:soundOff:iconOn:iconOff  (paths of media files)
//
// Every key is active, watches its key whatever modifiers are held, and is an
// icon item with an off state, like the lock keys a host hands over.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "options/scheme/posix_scheme_files.h"
#include "options/scheme/scheme_store.h"
#include "options/scheme/vector_collection.h"

namespace {

using tolvar::PathField;


std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::string Content(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("\x01missing");
}

int Fail(const std::string &why)
{
    std::fprintf(stderr, "make_sample_scheme: %s\n", why.c_str());
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return Fail("usage: make_sample_scheme OUTPUT.tvs SCRATCH_DIR keyCode:name:soundOn:"
                    "soundOff:iconOn:iconOff...");
    const std::string output = argv[1], scratch = argv[2];

    std::vector<KeyItem> keys;
    std::vector<std::vector<std::string>> sources;
    for (int i = 3; i < argc; ++i) {
        std::vector<std::string> fields = Split(argv[i], ':');
        if (fields.size() != 6 || fields[1].size() >= TV_KEY_NAME_SIZE)
            return Fail(std::string("not a key: ") + argv[i]);
        KeyItem key;
        std::memset(&key, 0, sizeof key);
        key.active = 1;
        key.keyCode = std::atoi(fields[0].c_str());
        key.modifiers = TV_MOD_ANY_MODIFIERS;
        key.hasIcon = 1;
        key.hasOffState = 1;
        std::strcpy(key.keyName, fields[1].c_str());
        for (int f = 0; f < tolvar::kPathFieldCount; ++f) {
            if (fields[2 + f].size() >= TV_PATH_SIZE)
                return Fail("path too long: " + fields[2 + f]);
            std::strcpy(PathField(key, f), fields[2 + f].c_str());
        }
        keys.push_back(key);
        sources.emplace_back(fields.begin() + 2, fields.end());
    }

    KeyCollectionHeader header{};
    header.itemCount = static_cast<uint32_t>(keys.size());
    tolvar::PosixSchemeFiles files(scratch);
    std::vector<KeyItem> written = keys;
    if (!tolvar::WriteSchemeFile(files, output.c_str(), header, written.data()))
        return Fail("cannot write " + output);

    // Read back: the same keys, each file unpacked with its own content.
    tolvar::VectorCollection loaded;
    if (!tolvar::ReadSchemeFile(files, output.c_str(), loaded))
        return Fail("the library does not load " + output);
    if (loaded.items.size() != keys.size())
        return Fail("the scheme holds another number of keys");
    for (size_t i = 0; i < keys.size(); ++i) {
        const KeyItem &got = loaded.items[i];
        if (got.keyCode != keys[i].keyCode || std::strcmp(got.keyName, keys[i].keyName) != 0 ||
            got.modifiers != keys[i].modifiers || got.hasIcon != 1 || got.hasOffState != 1)
            return Fail(std::string("key changed: ") + keys[i].keyName);
        for (int f = 0; f < tolvar::kPathFieldCount; ++f)
            if (Content(tolvar::PosixSchemeFiles::Native(PathField(got, f))) !=
                Content(sources[i][f]))
                return Fail("embedded file changed: " + sources[i][f]);
    }
    std::printf("%s: %zu keys, read back and compared\n", output.c_str(), keys.size());
    return 0;
}
