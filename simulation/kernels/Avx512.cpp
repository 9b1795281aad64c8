// The kernel for processors with AVX-512: eight lanes of doubles.
#define KERNEL_TARGET "avx512f"
#ifdef PRICER_X86_KERNELS

#include <immintrin.h>

#include "Kernel.h"
#include "Processor.h"

BEGIN_TARGET_REGION(KERNEL_TARGET)
namespace avx512 {
using Words = std::uint32_t __attribute__((vector_size(32)));
using Reals = double __attribute__((vector_size(64)));
// The indices go through a compress of sixteen 32-bit lanes, the narrowest AVX-512F has.
constexpr std::size_t kIndicesStored = sizeof(__m512i) / sizeof(std::uint32_t);

unsigned MaskOf(auto flags) { return _mm512_test_epi64_mask((__m512i)flags, (__m512i)flags); }

// Compressing in registers and storing whole vectors is fast where a compressing store is slow.
inline void Pack(Reals x, Reals s, unsigned mask, double* xOut, double* sOut) {
    _mm512_storeu_pd(xOut, _mm512_maskz_compress_pd(static_cast<__mmask8>(mask), (__m512d)x));
    _mm512_storeu_pd(sOut, _mm512_maskz_compress_pd(static_cast<__mmask8>(mask), (__m512d)s));
}

inline void StoreLanes(std::uint32_t first, unsigned mask, std::uint32_t* out) {
    const __m512i lanes =
        _mm512_add_epi32(_mm512_set1_epi32(static_cast<int>(first)),
                         _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi32(static_cast<__mmask16>(mask), lanes));
}

#include "Lanes-inl.h"
}  // namespace avx512
END_TARGET_REGION()

const PathKernel kAvx512Kernel = {KERNEL_TARGET, [] { return ThisProcessor().avx512f; },
                                  avx512::kLanesAddPayOffs};

#endif
