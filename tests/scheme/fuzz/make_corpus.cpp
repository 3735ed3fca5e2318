// Writes the seed corpus of the scheme reader's fuzz target: small valid
// schemes made by the scheme writer itself (run once; its output is checked
// in). Usage: make_corpus OUTPUT_FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "tests/scheme/memory_files.h"
#include "tests/scheme/scheme_bytes.h"

using namespace tolvar;
using namespace tolvar::testing;

namespace {

bool Emit(const std::string &folder, const char *name, MemoryFiles &fs,
          std::vector<KeyItem> items, KeyCollectionHeader header)
{
    header.itemCount = static_cast<uint32_t>(items.size());
    if (!WriteSchemeFile(fs, "C:\\Host\\out.tvs", header, items.data()))
        return false;
    const Bytes &bytes = fs.files["C:\\Host\\out.tvs"];
    std::string path = folder + "/" + name;
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    return std::fclose(out) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    std::string folder = argv[1];
    MemoryFiles fs;
    fs.files["D:\\beep.wav"] = Pattern(300, 1);
    fs.files["D:\\click.wav"] = Pattern(40, 2);
    fs.files["D:\\caps on.ico"] = Pattern(200, 3);
    fs.files["D:\\caps"] = Pattern(5, 4);
    fs.files["D:\\a.wav"] = {'a'};
    bool ok = true;
    ok &= Emit(folder, "no-files.tvs", fs, {MakeItem(20, "Caps Lock")}, MakeHeader(0));
    ok &= Emit(folder, "one-of-each.tvs", fs,
               {MakeItem(20, "Caps Lock", "D:\\beep.wav", "D:\\click.wav", "D:\\caps on.ico",
                         "D:\\caps")},
               MakeHeader(0));
    ok &= Emit(folder, "three-items.tvs", fs,
               {MakeItem(20, "Caps Lock", "D:\\beep.wav", "", "D:\\caps on.ico"),
                MakeItem(144, "Num Lock", "D:\\missing.wav", "D:\\beep.wav"),
                MakeItem(65, "Ctrl + Shift + A", "", "", "", "D:\\caps")},
               MakeHeader(0));
    ok &= Emit(folder, "store-reuse.tvs", fs,
               {MakeItem(20, "Caps Lock", "D:\\a.wav", "D:\\beep.wav", "", "")}, MakeHeader(0));
    return ok ? 0 : 1;
}
