// The kernel for processors with AVX2: four lanes of doubles.
#define KERNEL_TARGET "avx2"
#ifdef PRICER_X86_KERNELS

#include <immintrin.h>

#include "Kernel.h"
#include "Processor.h"

BEGIN_TARGET_REGION(KERNEL_TARGET)
namespace avx2 {
// AVX2 has no compress. For each set of lanes, its members in order, each as kParts consecutive
// 32-bit parts: the control of a permutation that moves them to the front.
template <std::size_t kParts>
constexpr auto kToFront = [] {
    std::array<std::array<std::uint32_t, 4 * kParts>, 16> table{};
    for (std::size_t mask = 0; mask < table.size(); ++mask) {
        std::size_t kept = 0;
        for (std::uint32_t part = 0; part < 4 * kParts; ++part) {
            if ((mask >> (part / kParts)) & 1) {
                table[mask][kept++] = part;
            }
        }
    }
    return table;
}();

using Words = std::uint32_t __attribute__((vector_size(16)));
using Reals = double __attribute__((vector_size(32)));
constexpr std::size_t kIndicesStored = sizeof(__m128i) / sizeof(std::uint32_t);

unsigned MaskOf(auto flags) { return _mm256_movemask_pd((__m256d)flags); }

inline void Pack(Reals x, Reals s, unsigned mask, double* xOut, double* sOut) {
    const __m256i order =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kToFront<2>[mask].data()));
    _mm256_storeu_pd(xOut, _mm256_castsi256_pd(_mm256_permutevar8x32_epi32((__m256i)x, order)));
    _mm256_storeu_pd(sOut, _mm256_castsi256_pd(_mm256_permutevar8x32_epi32((__m256i)s, order)));
}

inline void StoreLanes(std::uint32_t first, unsigned mask, std::uint32_t* out) {
    const __m128i lanes =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(kToFront<1>[mask].data()));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_add_epi32(_mm_set1_epi32(static_cast<int>(first)), lanes));
}

#include "Lanes-inl.h"
}  // namespace avx2
END_TARGET_REGION()

const PathKernel kAvx2Kernel = {KERNEL_TARGET, [] { return ThisProcessor().avx2; },
                                avx2::kLanesAddPayOffs};

#endif
