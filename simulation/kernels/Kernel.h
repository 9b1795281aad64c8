#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>
#include <utility>

#include "MonteCarlo.h"
#include "PayOff.h"
#include "Processor.h"
#include "Random.h"

// Large enough to amortise a block's passes, small enough for its arrays to stay in L1.
inline constexpr std::size_t kBlockSize = 256;
// Vector code stores and reads whole vectors, up to this many slots past a block's last path; each
// vector kernel asserts that its widest store, from a path's slot, fits.
inline constexpr std::size_t kSlack = 16;
[[nodiscard]] constexpr bool FitsInSlack(std::size_t slots) { return slots <= kSlack + 1; }

// A block's accepted pairs (x, s), in path order.
struct Pairs {
    std::array<double, kBlockSize + kSlack> x;
    std::array<double, kBlockSize + kSlack> s{};  // defined past the paths, where vectors read
};

// Each pass's results in an array of its own, so that every pass is a plain loop. A kernel that
// draws ahead fills the other pairs with the next block's while it prices these.
struct Block {
    std::array<Pairs, 2> pairs;
    std::size_t current = 0;  // the pairs this block prices
    bool drawn = false;       // whether they were drawn ahead
    std::array<double, kBlockSize> logS;
    std::array<double, kBlockSize> exponent;
    std::array<double, kBlockSize> payOff;  // kept only where they are summed
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
    // runningSum plus the pay-offs at movedSpot * exp(rootVariance * DrawStandardNormal(generator))
    // of the next n paths (1 to kBlockSize), added in path order, and each of them to `sums`, if
    // not null, in path order. nextN is the count of the block that follows (0 after the last),
    // which a kernel may draw while it prices this one: the generator is left just after the
    // attempt that accepted the last pair drawn, so after the last block just after the last
    // path's.
    double (*addPayOffs)(Generator& generator, std::size_t n, std::size_t nextN,
                         const Pricing& pricing, Block& block, double runningSum, PayOffSums* sums);
};

// Those the build leaves out are never referred to, and compile empty (simulation/CMakeLists.txt).
extern const PathKernel kPortableKernel, kTwoLaneKernel, kAvx2Kernel, kAvx512Kernel;

// The kernels this processor can run, the portable one first and the widest last.
[[nodiscard]] std::span<const PathKernel* const> RunnableKernels();

// Of the kernels runnable on a processor of this maker (narrowest first), the fastest measured:
// the widest, but AVX-512 only on AMD's processors. Elsewhere 512-bit vectors slow the scalar
// log and exp that follow them, and a processor nobody has measured is taken for such a one
// (docs/speed.md). No choice changes a price.
[[nodiscard]] const PathKernel& ProductionKernel(std::span<const PathKernel* const> runnable,
                                                 ProcessorVendor vendor);
// The one PriceByMonteCarlo takes on this processor.
[[nodiscard]] const PathKernel& ProductionKernel();

// PriceByMonteCarlo with a given kernel, so that tests and benchmarks can hold each to the result.
[[nodiscard]] double PriceWithKernel(const PathKernel& kernel, Generator& generator,
                                     const PayOff& payOff, double expiry, double spot, double vol,
                                     double r, std::uint32_t numberOfPaths,
                                     PricingProgress* progress = nullptr);

namespace kernel_steps {
#include "Kernel-inl.h"
}  // namespace kernel_steps

// A region whose functions are all built for `isa`, which a kernel file names once (KERNEL_TARGET)
// for it, its runnable(), kept outside, and its name. Its code goes in its own namespace: an inline
// function built for AVX in one file and for the baseline in another would be merged into one.
#define KERNEL_PRAGMA(text) _Pragma(#text)
#ifdef __clang__
#define BEGIN_TARGET_REGION(isa) \
    KERNEL_PRAGMA(clang attribute push(__attribute__((target(isa))), apply_to = function))
#define END_TARGET_REGION() KERNEL_PRAGMA(clang attribute pop)
#else
#define BEGIN_TARGET_REGION(isa) KERNEL_PRAGMA(GCC push_options) KERNEL_PRAGMA(GCC target(isa))
#define END_TARGET_REGION() KERNEL_PRAGMA(GCC pop_options)
#endif
