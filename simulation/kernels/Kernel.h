#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <utility>

#include "MonteCarlo.h"
#include "PayOff.h"
#include "PolarMethod.h"
#include "Random.h"

// Large enough to amortise a block's passes, small enough for its arrays to stay in L1.
inline constexpr std::size_t kBlockSize = 256;
// Vector code stores and reads whole vectors, up to this many slots past a block's last path; each
// vector kernel asserts that its widest store, from a path's slot, fits.
inline constexpr std::size_t kSlack = 16;
[[nodiscard]] constexpr bool FitsInSlack(std::size_t slots) { return slots <= kSlack + 1; }

// Each pass's results in an array of its own, so that every pass is a plain loop.
struct Block {
    std::array<double, kBlockSize + kSlack> x;
    std::array<double, kBlockSize + kSlack> s{};  // defined past the paths, where vectors read
    std::array<double, kBlockSize> logS;
    std::array<double, kBlockSize> exponent;
    std::array<std::uint32_t, kBlockSize + kSlack> fastLogPaths;
    std::array<std::uint32_t, kBlockSize + kSlack> slowLogPaths;
};

struct Pricing {
    const PayOff& payOff;
    double rootVariance;
    double movedSpot;
};

struct PathKernel {
    const char* name;
    // Whether this processor has the instructions that the kernel is compiled for.
    bool (*runnable)();
    // runningSum plus the pay-offs at movedSpot * exp(rootVariance * DrawStandardNormal()) of the
    // next n paths (1 to kBlockSize), added in path order, leaving the generator just after the
    // attempt that accepted the last path's pair.
    double (*addPayOffs)(std::size_t n, const Pricing& pricing, Block& block, double runningSum);
};

// Those the build leaves out are never referred to, and compile empty (simulation/CMakeLists.txt).
extern const PathKernel kPortableKernel, kTwoLaneKernel, kAvx2Kernel, kAvx512Kernel;

// The kernels this processor can run, the portable one first and the widest last.
[[nodiscard]] std::span<const PathKernel* const> RunnableKernels();

// PriceByMonteCarlo with a given kernel, so that tests and benchmarks can hold each to the result.
[[nodiscard]] double PriceWithKernel(const PathKernel& kernel, const PayOff& payOff, double expiry,
                                     double spot, double vol, double r, std::uint32_t numberOfPaths,
                                     PricingProgress* progress = nullptr);

namespace kernel_steps {

// The C library's log takes a slower branch from here to just past 1, which random radii take too
// rarely to predict; calling log for one branch's paths and then the other's makes it predictable.
inline constexpr double kLogSlowFrom = 1.0 - 0x1p-4;

// A block in passes: kDraw(n, x, s) draws the accepted pairs; kSplit(n, s, fast, slow) lists the
// paths whose radius is below kLogSlowFrom and those from it, each in order, and returns how many
// are below. Each path gets exactly the operations of drawing it alone. The next kGroup paths'
// exponents, a vector or two, are worked out before these paths' pay-offs, so that the divider
// works under exp.
template <std::size_t kGroup, auto kDraw, auto kSplit>
inline double AddPayOffs(std::size_t n, const Pricing& pricing, Block& block, double runningSum) {
    const double rootVariance = pricing.rootVariance;  // else reloaded: it might alias the block
    kDraw(n, block.x.data(), block.s.data());
    const std::size_t fast =
        kSplit(n, block.s.data(), block.fastLogPaths.data(), block.slowLogPaths.data());
    const auto logs = [&](const std::uint32_t* paths, std::size_t count) {
        for (std::size_t j = 0; j < count; ++j) {
            block.logS[paths[j]] = std::log(block.s[paths[j]]);
        }
    };
    logs(block.fastLogPaths.data(), fast);
    logs(block.slowLogPaths.data(), n - fast);
    // By value: std::min's reference would be read again after every call.
    const auto end = [n](std::size_t first) { return std::min(first + kGroup, n); };
    const auto exponents = [&](std::size_t first) {
        for (std::size_t i = first; i < end(first); ++i) {
            block.exponent[i] =
                rootVariance * polar::NormalFromLog(block.x[i], block.s[i], block.logS[i]);
        }
    };
    exponents(0);
    for (std::size_t first = 0; first < n; first += kGroup) {
        exponents(first + kGroup);
        for (std::size_t i = first, last = end(first); i < last; ++i) {
            runningSum = runningSum +
                         pricing.payOff.Evaluate(pricing.movedSpot * std::exp(block.exponent[i]));
        }
    }
    return runningSum;
}

// The kernels that split by the index walk, portable and two-lane, take four attempts a round.
inline constexpr std::size_t kAttemptsPerRound = 4;

// The states of a round of attempts, each skipped ahead from the round's first state: stepping one
// after another, each multiply would wait for the last.
inline std::array<std::uint32_t, 2 * kAttemptsPerRound> RoundStates(std::uint32_t state) {
    const auto states = [&]<unsigned... j>(std::integer_sequence<unsigned, j...>) {
        return std::array{lcg::Step(state, lcg::kSkip<j + 1>)...};
    };
    return states(std::make_integer_sequence<unsigned, 2 * kAttemptsPerRound>{});
}

// An index walk, for kernels without a vector compare to split by: every index is written to both
// lists, and only the right one's count advances.
inline std::size_t SplitByIndexWalk(std::size_t n, const double* s, std::uint32_t* fast,
                                    std::uint32_t* slow) {
    std::size_t fastCount = 0;
    std::size_t slowCount = 0;
    for (std::size_t i = 0; i < n; ++i) {
        fast[fastCount] = static_cast<std::uint32_t>(i);
        slow[slowCount] = static_cast<std::uint32_t>(i);
        const bool isSlow = s[i] >= kLogSlowFrom;
        fastCount += isSlow ? 0 : 1;
        slowCount += isSlow ? 1 : 0;
    }
    return fastCount;
}

// Their exponents go four paths a group, two vectors' worth: with one, each group's bookkeeping and
// the wait on the divider cost a tenth of the kernel's time.
template <auto kDraw>
inline constexpr auto kWalkingAddPayOffs = &AddPayOffs<4, kDraw, SplitByIndexWalk>;

#ifdef PRICER_X86_KERNELS  // in GCC's vector extensions, which clang shares

// The vector kernels' code, over what an instruction set supplies in one type Isa:
//   Words, Reals                   vectors of kCount 32-bit words and of kCount doubles;
//   MaskOf(flags)                  the lanes where a comparison holds, as bits;
//   Pack(x, s, mask, xOut, sOut)   the x and s of those lanes, in order, stored as whole vectors;
//   StoreLanes(first, mask, out)   first plus each of those lanes' numbers, as kIndicesStored
//   words.
// Vectors go to and from those functions by reference: by value, between code built for an
// instruction set and code built for the baseline, they would not arrive where the callee looks.
template <class Isa>
struct Lanes {
    using Words = typename Isa::Words;
    using Reals = typename Isa::Reals;
    static constexpr std::size_t kCount = sizeof(Reals) / sizeof(double);

    static_assert(FitsInSlack(kCount) && FitsInSlack(Isa::kIndicesStored),
                  "the block's slack must cover the kernel's widest store");
    static_assert(sizeof(Words) / sizeof(std::uint32_t) == kCount);

    // Lane by lane, which the compilers turn into one conversion where a vector cast would take
    // GCC several. Outputs have 15 bits, so the signed conversion, which every width has, is exact.
    static Reals AsReals(const Words& outputs) {
        const auto lanes = [&]<std::size_t... l>(std::index_sequence<l...>) {
            return Reals{static_cast<double>(static_cast<std::int32_t>(outputs[l]))...};
        };
        return lanes(std::make_index_sequence<kCount>{});
    }

    template <unsigned kSteps>
    static Words SkippedBy(std::uint32_t state) {
        const auto lanes = [&]<unsigned... l>(std::integer_sequence<unsigned, l...>) {
            return Words{lcg::Step(state, lcg::kSkip<2 * l + kSteps>)...};
        };
        return lanes(std::make_integer_sequence<unsigned, kCount>{});
    }

    // One attempt per lane: lane l holds the two states of attempt l, and each round every lane
    // skips ahead over the values that all the lanes have used.
    static void DrawAcceptedPairs(std::size_t n, double* x, double* s) {
        Words first = SkippedBy<1>(lcg::state);
        Words second = SkippedBy<2>(lcg::state);
        for (std::size_t count = 0;;) {
            const Reals candidateX = polar::Uniform(AsReals(lcg::Output(first)));
            const Reals candidateS =
                polar::SquaredRadius(candidateX, polar::Uniform(AsReals(lcg::Output(second))));
            unsigned accepted = Isa::MaskOf(polar::Accepted(candidateS));
            Isa::Pack(candidateX, candidateS, accepted, x + count, s + count);
            const std::size_t kept = std::popcount(accepted);
            if (count + kept >= n) {
                for (std::size_t k = n - count; k > 1; --k) {
                    accepted &= accepted - 1;  // drops the lowest accepted lane, to find the n-th
                }
                lcg::state = second[std::countr_zero(accepted)];
                return;
            }
            count += kept;
            first = lcg::Step(first, lcg::kSkip<2 * kCount>);
            second = lcg::Step(second, lcg::kSkip<2 * kCount>);
        }
    }

    static std::size_t SplitForLog(std::size_t n, const double* s, std::uint32_t* fast,
                                   std::uint32_t* slow) {
        std::size_t fastCount = 0;
        std::size_t slowCount = 0;
        for (std::size_t i = 0; i < n; i += kCount) {
            Reals group;
            std::memcpy(&group, s + i, sizeof group);
            const unsigned inGroup = (n - i >= kCount) ? (1u << kCount) - 1 : (1u << (n - i)) - 1;
            const unsigned isFast = inGroup & Isa::MaskOf(group < kLogSlowFrom);
            const unsigned isSlow = inGroup & ~isFast;
            Isa::StoreLanes(static_cast<std::uint32_t>(i), isFast, fast + fastCount);
            Isa::StoreLanes(static_cast<std::uint32_t>(i), isSlow, slow + slowCount);
            fastCount += std::popcount(isFast);
            slowCount += std::popcount(isSlow);
        }
        return fastCount;
    }
};

// Defines `kernel` over the file's Isa, runnable where the processor has KERNEL_ISA. Its function
// is built for KERNEL_ISA and flattened, so that all it calls is too, even in a Debug build.
#define LANES_KERNEL(kernel, kernelName)                                                           \
    [[gnu::target(KERNEL_ISA), gnu::flatten]] static double AddPayOffs(                            \
        std::size_t n, const Pricing& pricing, Block& block, double runningSum) {                  \
        using Lanes = kernel_steps::Lanes<Isa>;                                                    \
        return kernel_steps::AddPayOffs<Lanes::kCount, Lanes::DrawAcceptedPairs,                   \
                                        Lanes::SplitForLog>(n, pricing, block, runningSum);        \
    }                                                                                              \
    const PathKernel kernel = {kernelName, [] { return __builtin_cpu_supports(KERNEL_ISA) != 0; }, \
                               AddPayOffs}

#endif

}  // namespace kernel_steps
