// Report-to-tray timing for --timing.
#include "host/channel/report_timing.h"

#include <stdio.h>

#include <algorithm>

namespace tolvar {

void ReportTiming::Enable()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    ticksPerMs_ = static_cast<double>(frequency.QuadPart) / 1000.0;
    latencies_.reserve(100000);
    enabled_ = true;
}

void ReportTiming::Seen(LONG number)
{
    if (!enabled_)
        return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    seen_[number & (kSlots - 1)] = now.QuadPart;
}

void ReportTiming::Shown(LONG number)
{
    if (!enabled_)
        return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    latencies_.push_back((now.QuadPart - seen_[number & (kSlots - 1)]) / ticksPerMs_);
}

bool ReportTiming::Write(const std::string &path) const
{
    std::vector<double> sorted = latencies_;
    std::sort(sorted.begin(), sorted.end());
    auto at = [&sorted](double q) {
        return sorted.empty() ? 0.0 : sorted[static_cast<size_t>(q * (sorted.size() - 1))];
    };
    FILE *f = fopen(path.c_str(), "w");
    if (!f)
        return false;
    fprintf(f, "reports %u median_ms %.3f p90_ms %.3f p99_ms %.3f max_ms %.3f\n",
            static_cast<unsigned>(sorted.size()), at(0.5), at(0.9), at(0.99), at(1.0));
    return fclose(f) == 0;
}

}  // namespace tolvar
