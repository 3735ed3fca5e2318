// scheme_bench_core.cpp - see scheme_bench_core.h.
#include "bench/scheme/scheme_bench_core.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tolvar {
namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool WriteFile(SchemeFileSystem &files, const std::string &path, const std::vector<uint8_t> &data)
{
    SchemeFileSystem::Handle file = files.CreateWrite(path.c_str(), false);
    if (!file)
        return false;
    bool ok = files.Write(file, data.data(), static_cast<uint32_t>(data.size()));
    files.Close(file);
    return ok;
}

// The plain copy the scheme code is compared with: the same chunk size, the
// same file layer, no format and no CRC.
bool CopyFile(SchemeFileSystem &files, const std::string &from, const std::string &to,
              std::vector<uint8_t> &chunk)
{
    SchemeFileSystem::Handle in = files.OpenRead(from.c_str());
    if (!in)
        return false;
    SchemeFileSystem::Handle out = files.CreateWrite(to.c_str(), false);
    bool ok = out != nullptr;
    while (ok) {
        uint32_t got = 0;
        if (!files.Read(in, chunk.data(), static_cast<uint32_t>(chunk.size()), &got) || got == 0)
            break;
        ok = files.Write(out, chunk.data(), got);
    }
    files.Close(in);
    if (out)
        files.Close(out);
    return ok;
}

// Keeps what a load hands over, so the next load can be timed from scratch.
class Sink final : public SchemeCollection {
public:
    bool SetHeader(const KeyCollectionHeader &h) override
    {
        items.clear();
        items.reserve(h.itemCount);
        return true;
    }
    bool AppendItem(const KeyItem &item) override
    {
        items.push_back(item);
        return true;
    }
    uint32_t ItemCount() override { return static_cast<uint32_t>(items.size()); }
    KeyItem *Item(uint32_t i) override { return i < items.size() ? &items[i] : nullptr; }
    std::vector<KeyItem> items;
};

} // namespace

bool RunSchemeBench(SchemeFileSystem &files, const std::string &host,
                    const SchemeBenchConfig &config)
{
    const std::string media = host + "\\media";
    const std::string copies = host + "\\copies";
    files.CreateFolder(media.c_str());
    files.CreateFolder(copies.c_str());

    // 4 files per item: sound on/off (.wav), icon on/off (.ico), each with
    // its own content.
    static const char *const kKinds[4] = {"on.wav", "off.wav", "on.ico", "off.ico"};
    std::vector<std::string> sources;
    std::vector<uint8_t> content(config.fileBytes);
    uint32_t x = 12345;
    for (int i = 0; i < config.items; ++i)
        for (int k = 0; k < 4; ++k) {
            for (uint8_t &b : content) {
                x = x * 1103515245u + 12345u;
                b = static_cast<uint8_t>(x >> 16);
            }
            char name[64];
            std::snprintf(name, sizeof name, "\\key%02d-%s", i, kKinds[k]);
            sources.push_back(media + name);
            if (!WriteFile(files, sources.back(), content)) {
                std::fprintf(stderr, "cannot write %s\n", sources.back().c_str());
                return false;
            }
        }
    const double megabytes = double(config.fileBytes) * sources.size() / (1024.0 * 1024.0);

    std::vector<KeyItem> items(config.items);
    auto fillItems = [&] {
        for (int i = 0; i < config.items; ++i) {
            KeyItem &item = items[i];
            std::memset(&item, 0, sizeof item);
            item.active = 1;
            item.keyCode = 0x41 + i;
            item.hasIcon = 1;
            item.hasOffState = 1;
            std::snprintf(item.keyName, sizeof item.keyName, "Key %d", i);
            for (int k = 0; k < 4; ++k)
                std::snprintf(PathField(item, k), TV_PATH_SIZE, "%s", sources[i * 4 + k].c_str());
        }
    };
    KeyCollectionHeader header{};
    header.itemCount = static_cast<uint32_t>(config.items);
    const std::string scheme = host + "\\bench.tvs";
    std::vector<uint8_t> chunk(kSchemeChunkSize);

    std::vector<double> save, loadFresh, loadReuse, copy;
    for (int round = 0; round < config.rounds; ++round) {
        fillItems();
        Clock::time_point t = Clock::now();
        if (!WriteSchemeFile(files, scheme.c_str(), header, items.data()))
            return false;
        save.push_back(Seconds(t));

        // An empty store for the first load.
        for (const char *folder : {"\\Sounds\\", "\\Icons\\"})
            for (int i = 0; i < config.items; ++i)
                for (int k = 0; k < 4; ++k) {
                    char name[64];
                    std::snprintf(name, sizeof name, "key%02d-%s", i, kKinds[k]);
                    files.Remove((host + folder + name).c_str());
                }
        Sink sink;
        t = Clock::now();
        if (!ReadSchemeFile(files, scheme.c_str(), sink))
            return false;
        loadFresh.push_back(Seconds(t));
        t = Clock::now();
        if (!ReadSchemeFile(files, scheme.c_str(), sink))
            return false;
        loadReuse.push_back(Seconds(t));

        // Into new files, as the first load writes new files.
        std::vector<std::string> targets;
        for (size_t s = 0; s < sources.size(); ++s) {
            char name[32];
            std::snprintf(name, sizeof name, "\\%03zu", s);
            targets.push_back(copies + name);
            files.Remove(targets.back().c_str());
        }
        t = Clock::now();
        for (size_t s = 0; s < sources.size(); ++s)
            if (!CopyFile(files, sources[s], targets[s], chunk))
                return false;
        copy.push_back(Seconds(t));
    }

    double c = Median(copy);
    std::printf("media: %zu files x %zu bytes = %.1f MiB; median of %d rounds\n", sources.size(),
                config.fileBytes, megabytes, config.rounds);
    std::printf("plain copy       %8.3f s  %7.1f MiB/s\n", c, megabytes / c);
    std::printf("save scheme      %8.3f s  %7.1f MiB/s  %.2fx copy\n", Median(save),
                megabytes / Median(save), Median(save) / c);
    std::printf("load, new files  %8.3f s  %7.1f MiB/s  %.2fx copy\n", Median(loadFresh),
                megabytes / Median(loadFresh), Median(loadFresh) / c);
    std::printf("load, all reused %8.3f s  %7.1f MiB/s  %.2fx copy\n", Median(loadReuse),
                megabytes / Median(loadReuse), Median(loadReuse) / c);
    return true;
}

} // namespace bench
} // namespace tolvar
