/*
 * report_timing.h - with --timing FILE: how long each report takes from the
 * moment the listener sees the match event to the tray icon being updated,
 * written to FILE when the program exits. Costs nothing otherwise.
 */
#ifndef TOLVAR_HOST_REPORT_TIMING_H
#define TOLVAR_HOST_REPORT_TIMING_H

#include <windows.h>

#include <string>
#include <vector>

namespace tolvar {

class ReportTiming {
public:
    void Enable();
    bool enabled() const { return enabled_; }
    // Listener thread: report number n was seen now.
    void Seen(LONG number);
    // UI thread: report number n has reached the tray.
    void Shown(LONG number);
    // "reports N median_ms M p90_ms P p99_ms Q max_ms X"
    bool Write(const std::string &path) const;

private:
    static const LONG kSlots = 4096;
    bool enabled_ = false;
    double ticksPerMs_ = 1;
    LONGLONG seen_[kSlots] = {};
    std::vector<double> latencies_;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_REPORT_TIMING_H
