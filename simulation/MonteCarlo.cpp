#include "MonteCarlo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "PolarMethod.h"
#include "Random.h"
#include "kernels/Kernel.h"

namespace {

// Large enough to amortise a block's passes, small enough for its arrays to stay in L1.
constexpr std::size_t kBlockSize = 256;

// One block of paths, each stage in an array of its own so that every pass is a plain loop.
struct Block {
    std::array<double, kBlockSize + kDrawSlack> x;
    std::array<double, kBlockSize + kDrawSlack>
        s{};  // defined past the paths, which a kernel reads
    std::array<double, kBlockSize> logS;
    std::array<double, kBlockSize> exponent;
    std::array<std::uint32_t, kBlockSize + kDrawSlack> logBelow;  // paths by log's range
    std::array<std::uint32_t, kBlockSize + kDrawSlack> logFrom;
};

void LogInTwoRuns(const PathKernel& kernel, std::size_t n, Block& block) {
    const std::size_t below =
        kernel.splitForLog(n, block.s.data(), block.logBelow.data(), block.logFrom.data());
    for (std::size_t j = 0; j < below; ++j) {
        const std::size_t i = block.logBelow[j];
        block.logS[i] = std::log(block.s[i]);
    }
    for (std::size_t j = 0; j < n - below; ++j) {
        const std::size_t i = block.logFrom[j];
        block.logS[i] = std::log(block.s[i]);
    }
}

// The running sum crosses the calls, so it goes through memory on every path; that chain is
// short beside exp's, and runs under it, where a loop of its own over the block would wait for
// every add in turn.
[[nodiscard]] double AddPayOffs(const PayOff& payOff, double movedSpot, std::size_t n,
                                const Block& block, double runningSum) {
    for (std::size_t i = 0; i < n; ++i) {
        runningSum = runningSum + payOff.Evaluate(movedSpot * std::exp(block.exponent[i]));
    }
    return runningSum;
}

// The kernels built for this platform, narrowest first (simulation/CMakeLists.txt decides).
constexpr std::array kBuiltKernels = {
    &kPortableKernel,
#ifdef PRICER_X86_KERNELS
    &kAvx2Kernel,
    &kAvx512Kernel,
#endif
};

}  // namespace

double DrawStandardNormal() {
    RandomRun random;
    for (;;) {
        const double x = polar::Uniform(random.Next());
        const double s = polar::SquaredRadius(x, polar::Uniform(random.Next()));
        if (polar::Accepted(s)) {
            return polar::Normal(x, s);
        }
    }
}

std::span<const PathKernel* const> RunnableKernels() {
    static const auto runnable = [] {
        std::array<const PathKernel*, kBuiltKernels.size()> kernels{};
        const auto end = std::copy_if(kBuiltKernels.begin(), kBuiltKernels.end(), kernels.begin(),
                                      [](const PathKernel* kernel) { return kernel->runnable(); });
        return std::pair(kernels, static_cast<std::size_t>(end - kernels.begin()));
    }();
    return {runnable.first.data(), runnable.second};
}

// Paths go in blocks, and each block in passes: draw the accepted pairs, take their logarithms,
// turn them into exponents, call exp and Evaluate, and add the pay-offs in path order. Every path
// gets exactly the operations of drawing it alone; only their schedule changes.
double PriceWithKernel(const PathKernel& kernel, const PayOff& payOff, double expiry, double spot,
                       double vol, double r, std::uint32_t numberOfPaths) {
    const double variance = vol * vol * expiry;
    const double rootVariance = std::sqrt(variance);
    const double itoCorrection = -0.5 * variance;
    const double movedSpot = spot * std::exp(r * expiry + itoCorrection);
    double runningSum = 0.0;

    Block block;
    RandomRun random;
    for (std::uint32_t done = 0; done < numberOfPaths;) {
        const std::size_t n = std::min<std::size_t>(kBlockSize, numberOfPaths - done);
        kernel.drawAcceptedPairs(random, n, block.x.data(), block.s.data());
        LogInTwoRuns(kernel, n, block);
        kernel.toExponents(n, block.x.data(), block.s.data(), block.logS.data(), rootVariance,
                           block.exponent.data());
        runningSum = AddPayOffs(payOff, movedSpot, n, block, runningSum);
        done += static_cast<std::uint32_t>(n);
    }

    const double mean = runningSum / static_cast<double>(numberOfPaths);
    return mean * std::exp(-r * expiry);
}

double PriceByMonteCarlo(const PayOff& payOff, double expiry, double spot, double vol, double r,
                         std::uint32_t numberOfPaths) {
    static const PathKernel& widest = *RunnableKernels().back();
    return PriceWithKernel(widest, payOff, expiry, spot, vol, r, numberOfPaths);
}
