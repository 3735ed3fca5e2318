// scheme_bench_core.h - the scheme save/load benchmark, written against the
// scheme code's file-system layer so that the same measurement runs natively
// (POSIX files) and under Wine (Win32 files).
#ifndef TOLVAR_BENCH_SCHEME_BENCH_CORE_H
#define TOLVAR_BENCH_SCHEME_BENCH_CORE_H

#include <string>

#include "options/scheme/scheme_store.h"

namespace tolvar {
namespace bench {

struct SchemeBenchConfig {
    int items = 50;            // keys, each with two sounds and two icons
    size_t fileBytes = 102400; // size of every media file
    int rounds = 5;            // each figure is the median of this many runs
};

// Creates the media under host\media, then measures, in each round: saving
// the scheme, loading it into an empty store, loading it again (every file
// reused), and a plain chunked copy of the same media into new files through
// the same file layer. Checks that each phase did what it claims (the save's
// size, every file new and equal to its source after the first load, nothing
// written and every item on its stored file after the reload) and counts the
// file calls of each phase. Prints the times (medians), the ratios to the
// copy and the counts. files is the platform's file layer; host the folder
// the benchmark works in ("\" separated). False when a step or a check failed.
bool RunSchemeBench(SchemeFileSystem &files, const std::string &host,
                    const SchemeBenchConfig &config);

} // namespace bench
} // namespace tolvar

#endif // TOLVAR_BENCH_SCHEME_BENCH_CORE_H
