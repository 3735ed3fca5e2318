// Scheme save/load throughput against a plain copy, on the Win32 file layer
// (run it under Wine). The store goes into a new folder under %TEMP%.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/scheme/scheme_bench_core.h"
#include "options/scheme/win32_scheme_files.h"

namespace {

// The Win32 files with the host folder moved to the benchmark's folder.
class BenchFiles final : public tolvar::SchemeFileSystem {
public:
    explicit BenchFiles(std::string host) : host_(std::move(host)) {}
    Handle OpenRead(const char *p) override { return inner_.OpenRead(p); }
    Handle CreateWrite(const char *p, bool s) override { return inner_.CreateWrite(p, s); }
    bool Read(Handle f, void *b, uint32_t n, uint32_t *got) override
    {
        return inner_.Read(f, b, n, got);
    }
    bool Write(Handle f, const void *b, uint32_t n) override { return inner_.Write(f, b, n); }
    bool Size(Handle f, uint64_t *s) override { return inner_.Size(f, s); }
    void Close(Handle f) override { inner_.Close(f); }
    PathKind Probe(const char *p) override { return inner_.Probe(p); }
    bool CreateFolder(const char *p) override { return inner_.CreateFolder(p); }
    bool Find(const char *p, uint64_t *s) override { return inner_.Find(p, s); }
    bool Remove(const char *p) override { return inner_.Remove(p); }
    bool Rename(const char *a, const char *b) override { return inner_.Rename(a, b); }
    bool HostFolder(char *out, size_t size) override
    {
        return lstrcpynA(out, host_.c_str(), static_cast<int>(size)) && host_.size() < size;
    }

private:
    tolvar::Win32SchemeFiles inner_;
    std::string host_;
};

} // namespace

int main(int argc, char **argv)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string host = std::string(temp) + "tolvar-scheme-bench-" +
                       std::to_string(GetCurrentProcessId());
    CreateDirectoryA(host.c_str(), nullptr);
    BenchFiles files(host);
    tolvar::bench::SchemeBenchConfig config;
    if (argc > 1)
        config.rounds = std::atoi(argv[1]);
    bool ok = tolvar::bench::RunSchemeBench(files, host, config);
    std::printf("(folder %s; remove it when done)\n", host.c_str());
    return ok ? 0 : 1;
}
