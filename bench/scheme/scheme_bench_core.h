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

// Creates the media under host\media, then measures, in one run: saving the
// scheme, loading it into an empty store, loading it again (every file
// reused), and a plain chunked copy of the same media through the same file
// layer. Prints one line per figure. host is the files' host folder ("\"
// separated). Returns false when a step failed.
bool RunSchemeBench(SchemeFileSystem &files, const std::string &host,
                    const SchemeBenchConfig &config);

} // namespace bench
} // namespace tolvar

#endif // TOLVAR_BENCH_SCHEME_BENCH_CORE_H
