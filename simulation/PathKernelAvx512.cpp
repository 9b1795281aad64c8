// The kernel for processors with AVX-512: eight attempts per round, the accepted ones packed by
// compressing the vector of candidates.

#include "PathKernel.h"

#ifdef PRICER_X86_64_KERNELS

#include <immintrin.h>

#include <bit>
#include <cstddef>
#include <cstdint>

#include "KernelSteps.h"

namespace {

using Words = std::uint32_t __attribute__((vector_size(32)));
using Ints = std::int32_t __attribute__((vector_size(32)));
using Reals = double __attribute__((vector_size(64)));
using Lanes = kernel_steps::AttemptLanes<Words, Ints, Reals>;

// Compressing in registers and storing whole vectors is fast where a compressing store to memory
// is slow; hence the kDrawSlack slots past n.
[[gnu::target("avx512f,popcnt")]] void DrawAcceptedPairs(RandomRun& random, std::size_t n,
                                                         double* x, double* s) {
    Lanes lanes(random.StandInState());
    for (std::size_t count = 0;; lanes.Advance()) {
        Reals candidateX;
        Reals candidateS;
        Lanes::Flags acceptedLanes;
        lanes.Candidates(candidateX, candidateS, acceptedLanes);
        const __mmask8 accepted =
            _mm512_test_epi64_mask((__m512i)acceptedLanes, (__m512i)acceptedLanes);
        _mm512_storeu_pd(x + count, _mm512_maskz_compress_pd(accepted, (__m512d)candidateX));
        _mm512_storeu_pd(s + count, _mm512_maskz_compress_pd(accepted, (__m512d)candidateS));
        const std::size_t kept = std::popcount(static_cast<unsigned>(accepted));
        if (count + kept >= n) {
            random.SetStandInState(lanes.StateAfter(kernel_steps::NthSetBit(accepted, n - count)));
            return;
        }
        count += kept;
    }
}

// Sixteen paths at a time: their indices compressed into one list or the other.
[[gnu::target("avx512f,popcnt")]] std::size_t SplitForLog(std::size_t n, const double* s,
                                                          std::uint32_t* below,
                                                          std::uint32_t* from) {
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

[[gnu::target("avx512f")]] void ToExponents(std::size_t n, const double* x, const double* s,
                                            const double* logS, double rootVariance,
                                            double* exponent) {
    kernel_steps::ToExponents(n, x, s, logS, rootVariance, exponent);
}

}  // namespace

const PathKernel kAvx512Kernel = {"avx512", DrawAcceptedPairs, SplitForLog, ToExponents};

#endif
