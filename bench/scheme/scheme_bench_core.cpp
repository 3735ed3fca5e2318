// scheme_bench_core.cpp - see scheme_bench_core.h.
#include "bench/scheme/scheme_bench_core.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <map>
#include <set>
#include <vector>

#include "options/scheme/vector_collection.h"

namespace tolvar {
namespace bench {

namespace {

using Clock = std::chrono::steady_clock;
using Handle = SchemeFileSystem::Handle;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// ---- counting the file calls ------------------------------------------------

enum Call { kOpen, kClose, kRead, kWrite, kSeek, kSize, kMove, kDelete, kLookUp, kList, kMkdir,
            kCallKinds };
const char *const kCallNames[kCallKinds] = {"open", "close", "read",    "write", "seek", "size",
                                            "move", "delete", "look-up", "list", "mkdir"};

struct Counts {
    long n[kCallKinds] = {};
    double seconds[kCallKinds] = {};  // spent inside the calls of each kind
    bool operator==(const Counts &o) const { return std::equal(n, n + kCallKinds, o.n); }
};

// The platform's file layer with every call counted and timed, in the
// benchmark's own host folder.
class CountingFiles final : public SchemeFileSystem {
public:
    CountingFiles(SchemeFileSystem &inner, std::string host) : in_(inner), host_(std::move(host)) {}
    Counts counts;

    Handle OpenRead(const char *p) override
    {
        return Count(kOpen, [&] { return in_.OpenRead(p); });
    }
    Handle CreateWrite(const char *p, bool s) override
    {
        return Count(kOpen, [&] { return in_.CreateWrite(p, s); });
    }
    bool Read(Handle f, void *b, uint32_t n, uint32_t *got) override
    {
        return Count(kRead, [&] { return in_.Read(f, b, n, got); });
    }
    bool Write(Handle f, const void *b, uint32_t n) override
    {
        return Count(kWrite, [&] { return in_.Write(f, b, n); });
    }
    bool Size(Handle f, uint64_t *s) override { return Count(kSize, [&] { return in_.Size(f, s); }); }
    bool Seek(Handle f, uint64_t o) override { return Count(kSeek, [&] { return in_.Seek(f, o); }); }
    void Close(Handle f) override
    {
        Count(kClose, [&] {
            in_.Close(f);
            return true;
        });
    }
    PathKind Probe(const char *p) override { return Count(kLookUp, [&] { return in_.Probe(p); }); }
    bool CreateFolder(const char *p) override
    {
        return Count(kMkdir, [&] { return in_.CreateFolder(p); });
    }
    bool Find(const char *p, uint64_t *s) override
    {
        return Count(kLookUp, [&] { return in_.Find(p, s); });
    }
    bool ListFolder(const char *p, FolderSink &s) override
    {
        return Count(kList, [&] { return in_.ListFolder(p, s); });
    }
    bool NamesIgnoreCase() override { return in_.NamesIgnoreCase(); }
    bool Remove(const char *p) override { return Count(kDelete, [&] { return in_.Remove(p); }); }
    bool Rename(const char *a, const char *b) override
    {
        return Count(kMove, [&] { return in_.Rename(a, b); });
    }
    bool HostFolder(char *out, size_t size) override
    {
        if (host_.size() + 1 > size)
            return false;
        std::memcpy(out, host_.c_str(), host_.size() + 1);
        return true;
    }

private:
    template <typename F>
    auto Count(Call kind, F call) -> decltype(call())
    {
        ++counts.n[kind];
        const Clock::time_point t = Clock::now();
        auto result = call();
        counts.seconds[kind] += Seconds(t);
        return result;
    }

    SchemeFileSystem &in_;
    std::string host_;
};

// ---- helpers on the uncounted layer -----------------------------------------

bool WriteWhole(SchemeFileSystem &files, const std::string &path, const std::vector<uint8_t> &data)
{
    Handle file = files.CreateWrite(path.c_str(), false);
    if (!file)
        return false;
    bool ok = files.Write(file, data.data(), static_cast<uint32_t>(data.size()));
    files.Close(file);
    return ok;
}

bool ReadWhole(SchemeFileSystem &files, const std::string &path, std::vector<uint8_t> &data)
{
    data.clear();
    Handle file = files.OpenRead(path.c_str());
    if (!file)
        return false;
    uint8_t chunk[65536];
    uint32_t got = 0;
    while (files.Read(file, chunk, sizeof chunk, &got) && got > 0)
        data.insert(data.end(), chunk, chunk + got);
    files.Close(file);
    return true;
}

class Listing final : public FolderSink {
public:
    void Add(const char *name, const char *, uint64_t size) override { entries[name] = size; }
    std::map<std::string, uint64_t> entries;
};

std::map<std::string, uint64_t> List(SchemeFileSystem &files, const std::string &folder)
{
    Listing listing;
    files.ListFolder(folder.c_str(), listing);
    return listing.entries;
}

// The plain copy the scheme code is compared with: the same chunk size, the
// same file layer, no format and no CRC.
bool CopyFile(SchemeFileSystem &files, const std::string &from, const std::string &to,
              std::vector<uint8_t> &chunk)
{
    Handle in = files.OpenRead(from.c_str());
    if (!in)
        return false;
    Handle out = files.CreateWrite(to.c_str(), false);
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

// Keeps what a load hands over.
using Sink = tolvar::VectorCollection;

std::vector<std::string> Paths(const Sink &sink)
{
    std::vector<std::string> paths;
    for (const KeyItem &item : sink.items)
        for (int f = 0; f < kPathFieldCount; ++f)
            paths.push_back(PathField(item, f));
    return paths;
}

bool Fail(const char *what)
{
    std::fprintf(stderr, "check failed: %s\n", what);
    return false;
}

struct Phase {
    explicit Phase(const char *name) : label(name) {}
    const char *label;
    std::vector<double> seconds;
    Counts counts;
    std::vector<double> inCalls[kCallKinds];  // per round
    bool countsStable = true;

    void Record(double s, const Counts &c, int round)
    {
        seconds.push_back(s);
        if (round > 0 && !(c == counts))
            countsStable = false;
        counts = c;
        for (int k = 0; k < kCallKinds; ++k)
            inCalls[k].push_back(c.seconds[k]);
    }
};

} // namespace

bool RunSchemeBench(SchemeFileSystem &platform, const std::string &host,
                    const SchemeBenchConfig &config)
{
    CountingFiles files(platform, host);
    const std::string media = host + "\\media";
    const std::string copies = host + "\\copies";
    const std::string sounds = host + "\\Sounds";
    const std::string icons = host + "\\Icons";
    // The store's folders exist, empty, as they do after a first load.
    for (const std::string &folder : {media, copies, sounds, icons})
        platform.CreateFolder(folder.c_str());

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
            if (!WriteWhole(platform, sources.back(), content)) {
                std::fprintf(stderr, "cannot write %s\n", sources.back().c_str());
                return false;
            }
        }
    const size_t fileCount = sources.size();
    const double megabytes = double(config.fileBytes) * fileCount / (1024.0 * 1024.0);

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
    std::vector<uint8_t> chunk(kSchemeChunkSize), a, b;

    Phase copy{"plain copy"}, save{"save scheme"}, fresh{"load, new files"},
        reuse{"load, all reused"};
    for (int round = 0; round < config.rounds; ++round) {
        // Save, into a new file as the copy writes new files.
        fillItems();
        platform.Remove(scheme.c_str());
        files.counts = Counts();
        Clock::time_point t = Clock::now();
        if (!WriteSchemeFile(files, scheme.c_str(), header, items.data()))
            return Fail("save");
        save.Record(Seconds(t), files.counts, round);
        uint64_t schemeSize = 0;
        size_t recordLength = 0;
        std::free(EncodeSchemeRecord(header, items.data(), &recordLength));
        if (!platform.Find(scheme.c_str(), &schemeSize) ||
            schemeSize != 4 + recordLength + fileCount * (8 + config.fileBytes))
            return Fail("the scheme holds the record and every file");

        // Into an empty store: every file is new and equal to its source.
        for (const std::string &folder : {sounds, icons})
            for (const auto &entry : List(platform, folder))
                platform.Remove((folder + "\\" + entry.first).c_str());
        Sink first;
        files.counts = Counts();
        t = Clock::now();
        if (!ReadSchemeFile(files, scheme.c_str(), first))
            return Fail("load into an empty store");
        fresh.Record(Seconds(t), files.counts, round);
        const std::vector<std::string> placed = Paths(first);
        if (std::set<std::string>(placed.begin(), placed.end()).size() != fileCount ||
            files.counts.n[kMove] != static_cast<long>(fileCount) ||
            List(platform, sounds).size() + List(platform, icons).size() != fileCount)
            return Fail("every file of the first load is new");
        if (round == 0)
            for (size_t s = 0; s < fileCount; ++s)
                if (!ReadWhole(platform, placed[s], a) || !ReadWhole(platform, sources[s], b) ||
                    a != b)
                    return Fail("every new file holds its source's bytes");

        // Again: every file is reused, nothing is written.
        const auto soundsBefore = List(platform, sounds), iconsBefore = List(platform, icons);
        Sink again;
        files.counts = Counts();
        t = Clock::now();
        if (!ReadSchemeFile(files, scheme.c_str(), again))
            return Fail("reload");
        reuse.Record(Seconds(t), files.counts, round);
        if (Paths(again) != placed || files.counts.n[kWrite] != 0 ||
            files.counts.n[kMove] != 0 || files.counts.n[kDelete] != 0 ||
            List(platform, sounds) != soundsBefore || List(platform, icons) != iconsBefore)
            return Fail("the reload points every item at its stored file and writes nothing");

        // The plain copy, into new files.
        std::vector<std::string> targets;
        for (size_t s = 0; s < fileCount; ++s) {
            char name[32];
            std::snprintf(name, sizeof name, "\\%03zu", s);
            targets.push_back(copies + name);
            platform.Remove(targets.back().c_str());
        }
        files.counts = Counts();
        t = Clock::now();
        for (size_t s = 0; s < fileCount; ++s)
            if (!CopyFile(files, sources[s], targets[s], chunk))
                return Fail("copy");
        copy.Record(Seconds(t), files.counts, round);
    }

    const double c = Median(copy.seconds);
    std::printf("media: %zu files x %zu bytes = %.1f MiB; times are medians of %d rounds\n",
                fileCount, config.fileBytes, megabytes, config.rounds);
    std::printf("%-17s %8s %8s %7s  file calls:", "", "time", "MiB/s", "x copy");
    for (const char *name : kCallNames)
        std::printf(" %s", name);
    std::printf("\n");
    for (const Phase *p : {&copy, &save, &fresh, &reuse}) {
        const double s = Median(p->seconds);
        std::printf("%-17s %6.3f s %8.1f %6.2fx ", p->label, s, megabytes / s, s / c);
        for (int k = 0; k < kCallKinds; ++k)
            std::printf(" %s=%ld", kCallNames[k], p->counts.n[k]);
        std::printf("%s\n", p->countsStable ? "" : " (counts varied between rounds)");
    }
    std::printf("time inside the file calls, ms (median of the rounds), by kind:\n");
    for (const Phase *p : {&copy, &save, &fresh, &reuse}) {
        double total = 0;
        std::printf("  %-17s", p->label);
        for (int k = 0; k < kCallKinds; ++k) {
            const double ms = Median(p->inCalls[k]) * 1000;
            total += ms;
            if (p->counts.n[k])
                std::printf(" %s %.1f", kCallNames[k], ms);
        }
        std::printf("  (all calls %.1f of %.1f)\n", total, Median(p->seconds) * 1000);
    }
    std::printf("checks passed: scheme size; first load: %zu new files, each equal to its "
                "source; reload: every item on its stored file, nothing written\n",
                fileCount);
    return true;
}

} // namespace bench
} // namespace tolvar
