// The kernel for processors with AVX2: four attempts per round, the accepted ones packed by a
// permutation from a table.

#include <immintrin.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "Kernel.h"

// What this kernel is compiled for, and so what the processor must have.
#define KERNEL_ISA "avx2"

static_assert(!lcg::kUsePlatformRand, "the lanes skip ahead in the generator's sequence");

namespace {

using Words = std::uint32_t __attribute__((vector_size(16)));
using Ints = std::int32_t __attribute__((vector_size(16)));
using Reals = double __attribute__((vector_size(32)));
using Lanes = kernel_steps::AttemptLanes<Words, Ints, Reals>;

// AVX2 has no compress: a table gives, for each set of accepted lanes, the permutation that moves
// them to the front, as pairs of 32-bit halves.
constexpr auto kPackAccepted = [] {
    std::array<std::array<std::int32_t, 8>, 1 << Lanes::kLanes> table{};
    for (std::size_t mask = 0; mask < table.size(); ++mask) {
        std::size_t kept = 0;
        for (std::int32_t l = 0; l < static_cast<std::int32_t>(Lanes::kLanes); ++l) {
            if ((mask >> l) & 1) {
                table[mask][2 * kept] = 2 * l;
                table[mask][2 * kept + 1] = 2 * l + 1;
                ++kept;
            }
        }
    }
    return table;
}();

[[gnu::target(KERNEL_ISA)]] unsigned Pack(const Reals& x, const Reals& s,
                                          const Lanes::Flags& accepted, double* xOut,
                                          double* sOut) {
    const unsigned mask = _mm256_movemask_pd((__m256d)accepted);
    const __m256i order =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kPackAccepted[mask].data()));
    _mm256_storeu_pd(xOut, _mm256_castsi256_pd(_mm256_permutevar8x32_epi32((__m256i)x, order)));
    _mm256_storeu_pd(sOut, _mm256_castsi256_pd(_mm256_permutevar8x32_epi32((__m256i)s, order)));
    return mask;
}

[[gnu::target(KERNEL_ISA)]] void DrawAcceptedPairs(RandomRun& random, std::size_t n, double* x,
                                                   double* s) {
    kernel_steps::DrawAcceptedPairs<Lanes, Pack>(random, n, x, s);
}

[[gnu::target(KERNEL_ISA)]] std::size_t SplitForLog(std::size_t n, const double* s,
                                                    std::uint32_t* below, std::uint32_t* from) {
    return kernel_steps::SplitForLog(n, s, below, from);
}

[[gnu::target(KERNEL_ISA)]] void ToExponents(std::size_t n, const double* x, const double* s,
                                             const double* logS, double rootVariance,
                                             double* exponent) {
    kernel_steps::ToExponents(n, x, s, logS, rootVariance, exponent);
}

}  // namespace

const PathKernel kAvx2Kernel = {"avx2", [] { return __builtin_cpu_supports(KERNEL_ISA) != 0; },
                                DrawAcceptedPairs, SplitForLog, ToExponents};
