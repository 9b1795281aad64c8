// Nanoseconds per path of each kernel and of the floor, and each kernel's ratio to the floor, with
// nothing but the standard library: for builds that have no Google Benchmark, such as mingw-w64's
// run under wine (scripts/bench-windows.sh). The loops take turns, and the fastest of several
// turns stands for what each costs.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <span>
#include <vector>

#include "Floor.h"
#include "kernels/Kernel.h"

namespace {

constexpr int kTurns = 10;
constexpr double kLeastNanosPerTiming = 2e7;  // each timing repeats its loop for 20 ms or more

volatile double gSink;

// Nanoseconds per path of one timing of `price`, repeated `times` times.
template <class Price>
double NanosPerPath(Price price, std::uint32_t paths, int times) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i) {
        gSink = price(paths);
    }
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    return took.count() / (static_cast<double>(paths) * times);
}

}  // namespace

int main() {
    const std::span<const PathKernel* const> kernels = RunnableKernels();
    Generator generator;
    const auto priceWith = [&generator](const PathKernel& kernel) {
        return [&kernel, &generator](std::uint32_t paths) {
            return PriceWithKernel(kernel, generator, kTypicalCall, kExpiry, kSpot, kVol, kRate,
                                   paths);
        };
    };
    const auto floor = [](std::uint32_t paths) { return FloorLoop(kTypicalCall, paths); };

    std::printf("nanoseconds per path, fastest of %d turns\n%9s", kTurns, "paths");
    for (const PathKernel* kernel : kernels) {
        std::printf(" %10s", kernel->name);
    }
    std::printf(" %10s | per floor:", "floor");
    for (const PathKernel* kernel : kernels) {
        std::printf(" %9s", kernel->name);
    }
    std::printf("\n");
    for (const std::uint32_t paths : {1'000u, 100'000u, 10'000'000u}) {
        const int times = std::max(
            1, static_cast<int>(kLeastNanosPerTiming / (NanosPerPath(floor, paths, 1) * paths)));
        std::vector<double> fastest(kernels.size() + 1, std::numeric_limits<double>::infinity());
        for (int turn = 0; turn < kTurns; ++turn) {
            for (std::size_t k = 0; k < kernels.size(); ++k) {
                fastest[k] =
                    std::min(fastest[k], NanosPerPath(priceWith(*kernels[k]), paths, times));
            }
            fastest.back() = std::min(fastest.back(), NanosPerPath(floor, paths, times));
        }
        std::printf("%9u", paths);
        for (const double nanos : fastest) {
            std::printf(" %10.2f", nanos);
        }
        std::printf(" | %10s", "");
        for (std::size_t k = 0; k < kernels.size(); ++k) {
            std::printf(" %9.2f", fastest[k] / fastest.back());
        }
        std::printf("\n");
    }
    return 0;
}
