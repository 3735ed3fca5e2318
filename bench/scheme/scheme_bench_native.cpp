// Scheme save/load throughput against a plain copy, natively on POSIX files.
// Usage: scheme_bench_native [FOLDER]   (default: a new folder under /tmp)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/scheme/scheme_bench_core.h"
#include "options/scheme/posix_scheme_files.h"

int main(int argc, char **argv)
{
    std::string folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        char pattern[] = "/tmp/tolvar-scheme-bench-XXXXXX";
        if (!mkdtemp(pattern))
            return 1;
        folder = pattern;
    }
    tolvar::PosixSchemeFiles files(folder);
    tolvar::bench::SchemeBenchConfig config;
    bool ok = tolvar::bench::RunSchemeBench(files, folder, config);
    if (argc <= 1)
        std::system(("rm -rf '" + folder + "'").c_str());
    return ok ? 0 : 1;
}
