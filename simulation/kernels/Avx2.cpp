// The kernel for processors with AVX2: four lanes of doubles.
#define KERNEL_TARGET "avx2"
#ifdef PRICER_X86_KERNELS

#include <immintrin.h>

#include "Kernel.h"
#include "Processor.h"

BEGIN_TARGET_REGION(KERNEL_TARGET)
namespace avx2 {
// AVX2 has no compress. For each set of lanes, its members in order, each as two consecutive
// 32-bit parts: the control of a permutation that moves them to the front.
constexpr auto kToFront = [] {
    std::array<std::array<std::uint32_t, 8>, 16> table{};
    for (std::size_t mask = 0; mask < table.size(); ++mask) {
        std::size_t kept = 0;
        for (std::uint32_t part = 0; part < 8; ++part) {
            if ((mask >> (part / 2)) & 1) {
                table[mask][kept++] = part;
            }
        }
    }
    return table;
}();

using Words = std::uint32_t __attribute__((vector_size(32)));
using Reals = double __attribute__((vector_size(32)));
constexpr std::size_t kIndicesStored = sizeof(__m128i) / sizeof(std::uint32_t);

// Production where the processor is not an AMD one. There scalar code right after 512-bit vectors
// runs slower, so this kernel is faster than the wider one once the divider is out of the draw and
// the draw is in the shadow of exp (docs/speed.md).
constexpr bool kDrawsAhead = true;
constexpr bool kUniformsBySeries = true;

unsigned MaskOf(auto flags) { return _mm256_movemask_pd((__m256d)flags); }

inline void Pack(Reals x, Reals s, unsigned mask, double* xOut, double* sOut) {
    const __m256i order =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kToFront[mask].data()));
    _mm256_storeu_pd(xOut, _mm256_castsi256_pd(_mm256_permutevar8x32_epi32((__m256i)x, order)));
    _mm256_storeu_pd(sOut, _mm256_castsi256_pd(_mm256_permutevar8x32_epi32((__m256i)s, order)));
}

// For each set of fast lanes, those lanes in order and then the others: the two lists' indices,
// one table row and one add for both. Lanes past the paths, which are neither, come last.
constexpr auto kFastThenSlow = [] {
    std::array<std::array<std::uint32_t, 8>, 16> table{};
    for (std::size_t mask = 0; mask < table.size(); ++mask) {
        std::size_t fast = 0;
        std::size_t slow = 4;
        for (std::uint32_t lane = 0; lane < 4; ++lane) {
            table[mask][((mask >> lane) & 1) != 0 ? fast++ : slow++] = lane;
        }
    }
    return table;
}();

inline void StoreSplit(std::uint32_t first, unsigned fast, unsigned /*slow*/,
                       std::uint32_t* fastOut, std::uint32_t* slowOut) {
    const __m256i lanes = _mm256_add_epi32(
        _mm256_set1_epi32(static_cast<int>(first)),
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kFastThenSlow[fast].data())));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(fastOut), _mm256_castsi256_si128(lanes));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(slowOut), _mm256_extracti128_si256(lanes, 1));
}

Reals SquareRoots(Reals v) { return (Reals)_mm256_sqrt_pd((__m256d)v); }

#include "Lanes-inl.h"
}  // namespace avx2
END_TARGET_REGION()

const PathKernel kAvx2Kernel = {KERNEL_TARGET, [] { return ThisProcessor().avx2; },
                                avx2::kLanesAddPayOffs};

#endif
