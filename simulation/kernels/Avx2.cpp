// The kernel for processors with AVX2: four attempts per round, the accepted ones packed by a
// permutation from a table.

#include <immintrin.h>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "Kernel.h"

// What this kernel is compiled for, and so what the processor must have.
#define KERNEL_ISA "avx2"

static_assert(!lcg::kUsePlatformRand, "the lanes skip ahead in the generator's sequence");

namespace {

using Words = std::uint32_t __attribute__((vector_size(16)));
using Reals = double __attribute__((vector_size(32)));
using Lanes = kernel_steps::AttemptLanes<Words, Reals>;

// AVX2 has no compress. For each set of lanes, its members in order, each as kParts consecutive
// 32-bit parts: the control of a permutation that moves them to the front.
template <std::uint32_t kParts>
constexpr auto kToFront = [] {
    std::array<std::array<std::uint32_t, 4 * kParts>, 16> table{};
    for (std::size_t mask = 0; mask < table.size(); ++mask) {
        std::uint32_t kept = 0;
        for (std::uint32_t l = 0; l < 4; ++l) {
            for (std::uint32_t p = 0; ((mask >> l) & 1) && p < kParts; ++p) {
                table[mask][kParts * kept + p] = kParts * l + p;
            }
            kept += (mask >> l) & 1;
        }
    }
    return table;
}();

[[gnu::target(KERNEL_ISA)]] unsigned Pack(const Reals& x, const Reals& s,
                                          const Lanes::Flags& accepted, double* xOut,
                                          double* sOut) {
    const unsigned mask = _mm256_movemask_pd((__m256d)accepted);
    const __m256i order =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kToFront<2>[mask].data()));
    _mm256_storeu_pd(xOut, _mm256_castsi256_pd(_mm256_permutevar8x32_epi32((__m256i)x, order)));
    _mm256_storeu_pd(sOut, _mm256_castsi256_pd(_mm256_permutevar8x32_epi32((__m256i)s, order)));
    return mask;
}

[[gnu::target(KERNEL_ISA)]] void DrawAcceptedPairs(RandomRun& random, std::size_t n, double* x,
                                                   double* s) {
    kernel_steps::DrawAcceptedPairs<Lanes, Pack>(random, n, x, s);
}

// Four paths at a time: a group's first index plus the numbers of its lanes below the bound, or
// from it.
[[gnu::target(KERNEL_ISA)]] std::size_t SplitForLog(std::size_t n, const double* s,
                                                    std::uint32_t* below, std::uint32_t* from) {
    std::size_t belowCount = 0;
    std::size_t fromCount = 0;
    for (std::size_t i = 0; i < n; i += 4) {
        const unsigned inGroup = (n - i >= 4) ? 0xFu : (1u << (n - i)) - 1;
        const unsigned isBelow =
            inGroup & _mm256_movemask_pd(_mm256_cmp_pd(
                          _mm256_loadu_pd(s + i), _mm256_set1_pd(kLogSecondPathFrom), _CMP_LT_OQ));
        const unsigned isFrom = inGroup & ~isBelow;
        const __m128i first = _mm_set1_epi32(static_cast<int>(i));
        const auto store = [&](std::uint32_t* list, unsigned lanes) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(list),
                             _mm_add_epi32(first, _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                      kToFront<1>[lanes].data()))));
        };
        store(below + belowCount, isBelow);
        store(from + fromCount, isFrom);
        belowCount += std::popcount(isBelow);
        fromCount += std::popcount(isFrom);
    }
    return belowCount;
}

[[gnu::target(KERNEL_ISA)]] void ToExponents(std::size_t n, const double* x, const double* s,
                                             const double* logS, double rootVariance,
                                             double* exponent) {
    kernel_steps::ToExponents(n, x, s, logS, rootVariance, exponent);
}

}  // namespace

const PathKernel kAvx2Kernel = {"avx2", [] { return __builtin_cpu_supports(KERNEL_ISA) != 0; },
                                DrawAcceptedPairs, SplitForLog, ToExponents};
