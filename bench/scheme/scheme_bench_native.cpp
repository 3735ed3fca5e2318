// Scheme save/load throughput against a plain copy, natively on POSIX files.
// Usage: scheme_bench_native [ROUNDS [FOLDER]]   (default: 5 rounds in a new
// folder under /tmp, removed at the end)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/scheme/scheme_bench_core.h"
#include "options/scheme/posix_scheme_files.h"

int main(int argc, char **argv)
{
    std::string folder;
    if (argc > 2) {
        folder = argv[2];
    } else {
        char pattern[] = "/tmp/tolvar-scheme-bench-XXXXXX";
        if (!mkdtemp(pattern))
            return 1;
        folder = pattern;
    }
    tolvar::PosixSchemeFiles files(folder);
    tolvar::bench::SchemeBenchConfig config;
    if (argc > 1)
        config.rounds = std::atoi(argv[1]);
    bool ok = tolvar::bench::RunSchemeBench(files, folder, config);
    if (argc <= 2)
        std::system(("rm -rf '" + folder + "'").c_str());
    return ok ? 0 : 1;
}
