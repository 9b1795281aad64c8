#include "Floor.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <vector>

#include "Random.h"
#include "kernels/Kernel.h"

namespace {

// The pricer's own arguments: mingw-w64's exp takes half as long again near 0, where the pricer's
// exponents are, as near the log of the spot, where a terminal spot's log would be.
struct DrawnPaths {
    std::vector<double> s;         // accepted squared radii
    std::vector<double> exponent;  // rootVariance * normal, as the pricer works it out
    double movedSpot = 0.0;        // what exp of it is multiplied by
};

const DrawnPaths& Drawn() {
    static const DrawnPaths paths = [] {
        DrawnPaths drawn;
        const double variance = kVol * kVol * kExpiry;
        const double rootVariance = std::sqrt(variance);
        drawn.movedSpot = kSpot * std::exp(kRate * kExpiry + -0.5 * variance);
        Generator generator;
        while (drawn.s.size() < kFloorPaths) {
            const double x = polar::Uniform(generator.Next());
            const double s = polar::SquaredRadius(x, polar::Uniform(generator.Next()));
            if (polar::Accepted(s)) {
                drawn.s.push_back(s);
                drawn.exponent.push_back(rootVariance * polar::Normal(x, s));
            }
        }
        return drawn;
    }();
    return paths;
}

// The logs are stored for nobody: Keep says that somebody might read them. FLOOR_NOINLINE keeps
// the adds in a loop of their own. x64 cl has no inline assembly: there Keep publishes the logs'
// address, and the fence holds their stores before it.
#ifdef __GNUC__  // g++ and clang, not clang-cl
void Keep(const double* values) { asm volatile("" : : "r"(values) : "memory"); }
#define FLOOR_NOINLINE [[gnu::noinline]]
#else
const double* volatile gKept;
void Keep(const double* values) {
    gKept = values;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}
#define FLOOR_NOINLINE __declspec(noinline)
#endif

FLOOR_NOINLINE double AddAll(double sum, const double* payOffs, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        sum = sum + payOffs[i];
    }
    return sum;
}

}  // namespace

double FloorLoop(const PayOff& payOff, std::uint32_t numberOfPaths) {
    const DrawnPaths& paths = Drawn();
    // Each call goes on where the last left off: the same few paths time after time would let a
    // branch predictor learn them, as it cannot learn the kernels' fresh draws.
    static std::size_t start = 0;
    std::array<double, kBlockSize> logS{};
    std::array<double, kBlockSize> payOffs{};
    const double movedSpot = paths.movedSpot;  // else read again after every call
    double sum = 0.0;
    for (std::uint32_t done = 0; done < numberOfPaths; done += kBlockSize) {
        const std::size_t n = std::min<std::size_t>(kBlockSize, numberOfPaths - done);
        const std::size_t first = start;
        start = (start + kBlockSize) % kFloorPaths;
        for (std::size_t i = 0; i < n; ++i) {
            logS[i] = std::log(paths.s[first + i]);
        }
        Keep(logS.data());
        for (std::size_t i = 0; i < n; ++i) {
            payOffs[i] = payOff.Evaluate(movedSpot * std::exp(paths.exponent[first + i]));
        }
        sum = AddAll(sum, payOffs.data(), n);
    }
    return sum;
}
