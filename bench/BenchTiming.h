#pragma once

// Timing helpers the GUI benchmarks share.
#include <QElapsedTimer>
#include <QList>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace kelvane::bench {

// CPU time of the calling thread: tells the GUI thread's own work from waiting for a
// core that the decoding and caching threads (and other users of the machine) hold.
inline double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

inline double ms(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e6;
}

inline void printSeries(const char *what, QList<double> values) {
    if (values.isEmpty()) return;
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        return values[std::min<qsizetype>(values.size() - 1, qsizetype(q * values.size()))];
    };
    std::printf("  %-40s n %5lld  median %6.2f  p95 %6.2f  p99 %6.2f  max %6.2f ms\n", what,
                (long long)values.size(), at(0.5), at(0.95), at(0.99), values.last());
}

} // namespace kelvane::bench
