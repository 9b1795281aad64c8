#include "MonteCarlo.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "kernels/Kernel.h"

static constinit Generator programGenerator;  // the program's one sequence, as rand keeps its own

double DrawStandardNormal(Generator& generator) {
    for (;;) {
        const double x = polar::Uniform(generator.Next());
        const double s = polar::SquaredRadius(x, polar::Uniform(generator.Next()));
        if (polar::Accepted(s)) {
            return polar::Normal(x, s);
        }
    }
}

double DrawStandardNormal() { return DrawStandardNormal(programGenerator); }
Generator ProgramGenerator() { return programGenerator; }

namespace {

ProcessorVendor ThisVendor() {
#ifdef PRICER_X86_KERNELS
    return ThisProcessor().vendor;
#else
    return ProcessorVendor::kOther;  // no kernel to choose by it
#endif
}

}  // namespace

double StandardError(const PayOffSums& sums) {
    if (sums.paths < 2) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const auto n = static_cast<double>(sums.paths);
    // The squares' sum about the mean; rounding may take it below 0 where the pay-offs barely
    // differ. A NaN stays one.
    const double squares = sums.shiftedSquares - sums.shifted * (sums.shifted / n);
    return sums.discount * std::sqrt((squares < 0.0 ? 0.0 : squares) / (n - 1.0)) / std::sqrt(n);
}

std::span<const PathKernel* const> RunnableKernels() {
    // Narrowest first: each kernel needs what the one before it needs, and more.
    static constexpr std::array kBuilt = {
        &kPortableKernel,
#ifdef PRICER_VECTOR_KERNELS
        &kTwoLaneKernel,
#endif
#ifdef PRICER_X86_KERNELS
        &kAvx2Kernel,
        &kAvx512Kernel,
#endif
    };
    static const auto runnable = std::find_if_not(
        kBuilt.begin(), kBuilt.end(), [](const PathKernel* kernel) { return kernel->runnable(); });
    return {kBuilt.begin(), runnable};
}

const PathKernel& ProductionKernel(std::span<const PathKernel* const> runnable,
                                   [[maybe_unused]] ProcessorVendor vendor) {  // x86 alone asks
#ifdef PRICER_X86_KERNELS
    if (runnable.back() == &kAvx512Kernel && vendor != ProcessorVendor::kAmd) {
        return *runnable[runnable.size() - 2];
    }
#endif
    return *runnable.back();
}

const PathKernel& ProductionKernel() {
    static const PathKernel& production = ProductionKernel(RunnableKernels(), ThisVendor());
    return production;
}

double PriceWithKernel(const PathKernel& kernel, Generator& generator, const PayOff& payOff,
                       double expiry, double spot, double vol, double r,
                       std::uint32_t numberOfPaths, PricingProgress* progress) {
    const double variance = vol * vol * expiry;
    const double rootVariance = std::sqrt(variance);
    const double movedSpot = spot * std::exp(r * expiry + -0.5 * variance);
    const double discount = std::exp(-r * expiry);
    double runningSum = 0.0;

    if (progress != nullptr) {
        progress->PathsDone(0, numberOfPaths);
    }
    const Pricing pricing{payOff, rootVariance, movedSpot};
    Block block;
    PayOffSums sums{.paths = numberOfPaths, .discount = discount};
    PayOffSums* const summed = progress != nullptr ? &sums : nullptr;
    const auto pathsFrom = [&](std::uint32_t done) {
        return std::min<std::size_t>(kBlockSize - done % kBlockSize, numberOfPaths - done);
    };
    for (std::uint32_t done = 0; done < numberOfPaths;) {
        // Summing, the first path goes alone: its pay-off, the running sum so far, is the
        // reference that the others are taken less. The blocks after it end where they would have.
        const bool alone = summed != nullptr && done == 0;
        const std::size_t n = alone ? 1 : pathsFrom(done);
        done += static_cast<std::uint32_t>(n);
        const std::size_t nextN = pathsFrom(done);
        runningSum = kernel.addPayOffs(generator, n, nextN, pricing, block, runningSum,
                                       alone ? nullptr : summed);
        if (alone) {
            sums.reference = runningSum;
        }
        if (progress != nullptr && (done % kPathsPerProgress == 0 || done == numberOfPaths)) {
            progress->PathsDone(done, numberOfPaths);
        }
    }

    const double price = runningSum / static_cast<double>(numberOfPaths) * discount;
    if (progress != nullptr) {
        progress->Priced(price, sums);
    }
    return price;
}

double PriceByMonteCarlo(const PayOff& payOff, double expiry, double spot, double vol, double r,
                         std::uint32_t numberOfPaths, PricingProgress* progress) {
    return PriceWithKernel(ProductionKernel(), programGenerator, payOff, expiry, spot, vol, r,
                           numberOfPaths, progress);
}
