// The kernel for processors with AVX-512: eight lanes of doubles.
#define KERNEL_ISA "avx512f"

#ifdef PRICER_X86_KERNELS

#include <immintrin.h>

#include "Kernel.h"

namespace {

struct Isa {
    using Words = std::uint32_t __attribute__((vector_size(32)));
    using Reals = double __attribute__((vector_size(64)));
    using Flags = decltype(Reals{} < 0.0);
    // The indices go through a compress of sixteen 32-bit lanes, the narrowest AVX-512F has.
    static constexpr std::size_t kIndicesStored = sizeof(__m512i) / sizeof(std::uint32_t);

    [[gnu::target(KERNEL_ISA)]] static unsigned MaskOf(const Flags& flags) {
        return _mm512_test_epi64_mask((__m512i)flags, (__m512i)flags);
    }

    // Compressing in registers and storing whole vectors is fast where a compressing store is slow.
    [[gnu::target(KERNEL_ISA)]] static void Pack(const Reals& x, const Reals& s, unsigned mask,
                                                 double* xOut, double* sOut) {
        _mm512_storeu_pd(xOut, _mm512_maskz_compress_pd(static_cast<__mmask8>(mask), (__m512d)x));
        _mm512_storeu_pd(sOut, _mm512_maskz_compress_pd(static_cast<__mmask8>(mask), (__m512d)s));
    }

    [[gnu::target(KERNEL_ISA)]] static void StoreLanes(std::uint32_t first, unsigned mask,
                                                       std::uint32_t* out) {
        const __m512i lanes = _mm512_add_epi32(
            _mm512_set1_epi32(static_cast<int>(first)),
            _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
        _mm512_storeu_si512(out, _mm512_maskz_compress_epi32(static_cast<__mmask16>(mask), lanes));
    }
};

}  // namespace

LANES_KERNEL(kAvx512Kernel, "avx512");

#endif
