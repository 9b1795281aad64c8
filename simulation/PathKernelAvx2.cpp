// The kernel for processors with AVX2: four attempts per round, the accepted ones packed by a
// permutation from a table.

#include "PathKernel.h"

#ifdef PRICER_X86_64_KERNELS

#include <immintrin.h>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "KernelSteps.h"

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

[[gnu::target("avx2,popcnt")]] void DrawAcceptedPairs(RandomRun& random, std::size_t n, double* x,
                                                      double* s) {
    Lanes lanes(random.StandInState());
    for (std::size_t count = 0;; lanes.Advance()) {
        Reals candidateX;
        Reals candidateS;
        Lanes::Flags acceptedLanes;
        lanes.Candidates(candidateX, candidateS, acceptedLanes);
        const unsigned accepted = _mm256_movemask_pd((__m256d)acceptedLanes);
        const __m256i pack =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kPackAccepted[accepted].data()));
        _mm256_storeu_pd(x + count, _mm256_castsi256_pd(_mm256_permutevar8x32_epi32(
                                        _mm256_castpd_si256((__m256d)candidateX), pack)));
        _mm256_storeu_pd(s + count, _mm256_castsi256_pd(_mm256_permutevar8x32_epi32(
                                        _mm256_castpd_si256((__m256d)candidateS), pack)));
        const std::size_t kept = std::popcount(accepted);
        if (count + kept >= n) {
            random.SetStandInState(lanes.StateAfter(kernel_steps::NthSetBit(accepted, n - count)));
            return;
        }
        count += kept;
    }
}

[[gnu::target("avx2")]] std::size_t SplitForLog(std::size_t n, const double* s,
                                                std::uint32_t* below, std::uint32_t* from) {
    return kernel_steps::SplitForLog(n, s, below, from);
}

[[gnu::target("avx2")]] void ToExponents(std::size_t n, const double* x, const double* s,
                                         const double* logS, double rootVariance,
                                         double* exponent) {
    kernel_steps::ToExponents(n, x, s, logS, rootVariance, exponent);
}

}  // namespace

const PathKernel kAvx2Kernel = {"avx2", DrawAcceptedPairs, SplitForLog, ToExponents};

#endif
