// The benchmark's tables with nothing but the standard library, for builds that have no Google
// Benchmark, such as mingw-w64's run under wine (scripts/bench-windows.sh). The loops take turns.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

#include "Loops.h"
#include "Tables.h"

namespace {

constexpr double kLeastNanosPerTiming = 2e7;  // each timing repeats its loop for 20 ms or more

volatile double gSink;

// Nanoseconds per path of one timing of `loop`, priced `times` times over.
double NanosPerPath(const TimedLoop& loop, std::uint32_t paths, int times) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i) {
        gSink = loop.price(paths);
    }
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    return took.count() / (static_cast<double>(paths) * times);
}

}  // namespace

int main() {
    const LoopSet& loops = TimedLoops();
    const std::vector<const TimedLoop*> all = loops.All();
    Timings timings;
    for (const std::uint32_t paths : kPathCounts) {
        std::vector<int> times;
        for (const TimedLoop* loop : all) {
            const double once = NanosPerPath(*loop, paths, 1) * paths;
            times.push_back(std::max(1, static_cast<int>(kLeastNanosPerTiming / once)));
        }
        std::vector<double> fastest(all.size(), std::numeric_limits<double>::infinity());
        for (int turn = 0; turn < kRepetitions; ++turn) {
            for (std::size_t k = 0; k < all.size(); ++k) {
                fastest[k] = std::min(fastest[k], NanosPerPath(*all[k], paths, times[k]));
            }
        }
        for (std::size_t k = 0; k < all.size(); ++k) {
            timings[paths][all[k]->name] = fastest[k];
        }
        std::fputc('.', stderr);  // a row done: the long ones take most of the time
    }
    std::fputc('\n', stderr);
    return Report(loops, timings);
}
