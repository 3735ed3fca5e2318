// Cost of the hook's table scan per non-matching entry, natively.
//
// Build without sanitizers for meaningful figures:
//   cmake -S . -B /tmp/bench-native -DCMAKE_BUILD_TYPE=Release -DTOLVAR_SANITIZE=OFF
//   cmake --build /tmp/bench-native --target hook_scan_bench && /tmp/bench-native/bench/hook/hook_scan_bench
// Prints ns per entry for tables of 8, 64 and 4096 entries (best of 5 runs),
// how many allocations the scans made and how often they read the modifier
// states (never: no entry has the event's key code).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "hook/key_match.h"

using namespace tolvar;

static volatile long g_allocations;

void *operator new(std::size_t n)
{
    ++g_allocations;
    if (void *p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

ModifierStates CountReads(void *reads)
{
    ++*static_cast<long *>(reads);
    return ModifierStates{};
}

int main()
{
    const int sizes[] = {8, 64, 4096};
    std::printf("%-8s %14s %12s %12s %12s\n", "entries", "scans", "ns/entry", "allocations",
                "state reads");
    for (int size : sizes) {
        std::vector<KeyTableEntry> table(size);
        for (int i = 0; i < size; ++i) {
            table[i].keyCode = 0x100 + i;  // never a key the scan looks for
            table[i].modifiers = TV_MOD_CTRL;
        }
        const long scans = 400000000L / size;
        double best = 1e30;
        long allocationsDuringScans = 0;
        long stateReads = 0;
        volatile int32_t sink = 0;
        for (int run = 0; run < 5; ++run) {
            const long before = g_allocations;
            const auto t0 = std::chrono::steady_clock::now();
            for (long s = 0; s < scans; ++s) {
                const KeyEvent event{static_cast<int32_t>(0x41 + (s & 15)), false, false};
                sink = sink + FindMatchingEntry(table.data(), size, size, event, CountReads,
                                                &stateReads, true);
            }
            const auto t1 = std::chrono::steady_clock::now();
            allocationsDuringScans += g_allocations - before;
            const double ns = std::chrono::duration<double, std::nano>(t1 - t0).count();
            const double perEntry = ns / (static_cast<double>(scans) * size);
            if (perEntry < best)
                best = perEntry;
        }
        std::printf("%-8d %14ld %12.3f %12ld %12ld\n", size, scans, best, allocationsDuringScans,
                    stateReads);
    }
    return 0;
}
