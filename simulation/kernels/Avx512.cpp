// The kernel for processors with AVX-512: eight attempts per round, the accepted ones packed by
// compressing the vector of candidates.

#include <immintrin.h>

#include <bit>
#include <cstddef>
#include <cstdint>

#include "Kernel.h"

// What this kernel is compiled for, and so what the processor must have.
#define KERNEL_ISA "avx512f"

static_assert(!lcg::kUsePlatformRand, "the lanes skip ahead in the generator's sequence");

namespace {

using Words = std::uint32_t __attribute__((vector_size(32)));
using Reals = double __attribute__((vector_size(64)));
using Lanes = kernel_steps::AttemptLanes<Words, Reals>;

// Compressing in registers and storing whole vectors is fast where a compressing store to memory
// is slow.
[[gnu::target(KERNEL_ISA)]] unsigned Pack(const Reals& x, const Reals& s,
                                          const Lanes::Flags& accepted, double* xOut,
                                          double* sOut) {
    const __mmask8 mask = _mm512_test_epi64_mask((__m512i)accepted, (__m512i)accepted);
    _mm512_storeu_pd(xOut, _mm512_maskz_compress_pd(mask, (__m512d)x));
    _mm512_storeu_pd(sOut, _mm512_maskz_compress_pd(mask, (__m512d)s));
    return mask;
}

[[gnu::target(KERNEL_ISA)]] void DrawAcceptedPairs(RandomRun& random, std::size_t n, double* x,
                                                   double* s) {
    kernel_steps::DrawAcceptedPairs<Lanes, Pack>(random, n, x, s);
}

// Sixteen paths at a time: their indices compressed into one list or the other.
[[gnu::target(KERNEL_ISA)]] std::size_t SplitForLog(std::size_t n, const double* s,
                                                    std::uint32_t* below, std::uint32_t* from) {
    const __m512d secondFrom = _mm512_set1_pd(kLogSecondPathFrom);
    __m512i indices = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    std::size_t belowCount = 0;
    std::size_t fromCount = 0;
    for (std::size_t i = 0; i < n; i += 16) {
        const unsigned inBlock = (n - i >= 16) ? 0xFFFFu : (1u << (n - i)) - 1;
        const __mmask8 lowHalf = _mm512_cmp_pd_mask(_mm512_maskz_loadu_pd(inBlock & 0xFFu, s + i),
                                                    secondFrom, _CMP_LT_OQ);
        const __mmask8 highHalf = _mm512_cmp_pd_mask(_mm512_maskz_loadu_pd(inBlock >> 8, s + i + 8),
                                                     secondFrom, _CMP_LT_OQ);
        const __mmask16 isBelow = _mm512_kand(inBlock, _mm512_kunpackb(highHalf, lowHalf));
        const __mmask16 isFrom = _mm512_kandn(isBelow, inBlock);
        _mm512_storeu_si512(below + belowCount, _mm512_maskz_compress_epi32(isBelow, indices));
        _mm512_storeu_si512(from + fromCount, _mm512_maskz_compress_epi32(isFrom, indices));
        belowCount += std::popcount(static_cast<unsigned>(isBelow));
        fromCount += std::popcount(static_cast<unsigned>(isFrom));
        indices = _mm512_add_epi32(indices, _mm512_set1_epi32(16));
    }
    return belowCount;
}

[[gnu::target(KERNEL_ISA)]] void ToExponents(std::size_t n, const double* x, const double* s,
                                             const double* logS, double rootVariance,
                                             double* exponent) {
    kernel_steps::ToExponents(n, x, s, logS, rootVariance, exponent);
}

}  // namespace

const PathKernel kAvx512Kernel = {"avx512", [] { return __builtin_cpu_supports(KERNEL_ISA) != 0; },
                                  DrawAcceptedPairs, SplitForLog, ToExponents};
