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

// The kernels built for this platform, narrowest first (simulation/CMakeLists.txt decides).
constexpr std::array kBuiltKernels = {
    &kPortableKernel,
#ifdef PRICER_VECTOR_KERNELS
    &kTwoLaneKernel,
#endif
#ifdef PRICER_X86_KERNELS
    &kAvx2Kernel,
    &kAvx512Kernel,
#endif
};

}  // namespace

double DrawStandardNormal() {
    for (;;) {
        const double x = polar::Uniform(NextRandom());
        const double s = polar::SquaredRadius(x, polar::Uniform(NextRandom()));
        if (polar::Accepted(s)) {
            return polar::Normal(x, s);
        }
    }
}

// Each kernel needs what the one before it needs, and more.
std::span<const PathKernel* const> RunnableKernels() {
    static const auto runnable =
        std::find_if_not(kBuiltKernels.begin(), kBuiltKernels.end(),
                         [](const PathKernel* kernel) { return kernel->runnable(); });
    return {kBuiltKernels.begin(), runnable};
}

namespace {

// Paths go in blocks, each priced by the kernel (kernels/Kernel.h).
double PriceInBlocks(const PathKernel& kernel, const PayOff& payOff, double expiry, double spot,
                     double vol, double r, std::uint32_t numberOfPaths, PricingProgress* progress) {
    const double variance = vol * vol * expiry;
    const double rootVariance = std::sqrt(variance);
    const double itoCorrection = -0.5 * variance;
    const double movedSpot = spot * std::exp(r * expiry + itoCorrection);
    double runningSum = 0.0;

    if (progress != nullptr) {
        progress->PathsDone(0, numberOfPaths);
    }
    const Pricing pricing{payOff, rootVariance, movedSpot};
    Block block;
    for (std::uint32_t done = 0; done < numberOfPaths;) {
        const std::size_t n = std::min<std::size_t>(kBlockSize, numberOfPaths - done);
        runningSum = kernel.addPayOffs(n, pricing, block, runningSum);
        done += static_cast<std::uint32_t>(n);
        if (progress != nullptr && (done % kPathsPerProgress == 0 || done == numberOfPaths)) {
            progress->PathsDone(done, numberOfPaths);
        }
    }

    const double mean = runningSum / static_cast<double>(numberOfPaths);
    return mean * std::exp(-r * expiry);
}

}  // namespace

double PriceWithKernel(const PathKernel& kernel, const PayOff& payOff, double expiry, double spot,
                       double vol, double r, std::uint32_t numberOfPaths) {
    return PriceInBlocks(kernel, payOff, expiry, spot, vol, r, numberOfPaths, nullptr);
}

double PriceByMonteCarlo(const PayOff& payOff, double expiry, double spot, double vol, double r,
                         std::uint32_t numberOfPaths) {
    return PriceByMonteCarlo(payOff, expiry, spot, vol, r, numberOfPaths, nullptr);
}

double PriceByMonteCarlo(const PayOff& payOff, double expiry, double spot, double vol, double r,
                         std::uint32_t numberOfPaths, PricingProgress* progress) {
    static const PathKernel& widest = *RunnableKernels().back();
    return PriceInBlocks(widest, payOff, expiry, spot, vol, r, numberOfPaths, progress);
}
