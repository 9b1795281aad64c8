// The kernel for every processor that GCC and clang build for: two doubles in the baseline's
// 16-byte vectors, SSE2 on x86 (the 32-bit build asks for it) and NEON on aarch64.

#ifdef PRICER_VECTOR_KERNELS

#include "Kernel.h"

namespace {

using Reals = double __attribute__((vector_size(16)));

// Uniforms by series, as in the portable kernel.
Reals Uniforms(std::uint32_t first, std::uint32_t second) {
    return polar::UniformBySeries(
        Reals{static_cast<double>(static_cast<std::int32_t>(lcg::Output(first))),
              static_cast<double>(static_cast<std::int32_t>(lcg::Output(second)))});
}

// Attempts a and a + 1 side by side. Lane 1's candidate is written after lane 0's where lane 0 is
// kept and over it where not, so no branch depends on a draw but the one that ends the block.
void DrawAcceptedPairs(Generator& generator, std::size_t n, double* x, double* s) {
    static_assert(FitsInSlack(2), "lane 1's candidate is written one slot past the count");
    std::size_t count = 0;
    for (std::uint32_t state = generator.state;;) {
        const auto states = kernel_steps::RoundStates(state);
        for (std::size_t a = 0; a < states.size(); a += 4) {
            const Reals candidateX = Uniforms(states[a], states[a + 2]);
            const Reals candidateS =
                polar::SquaredRadius(candidateX, Uniforms(states[a + 1], states[a + 3]));
            const auto accepted = polar::Accepted(candidateS);
            const std::size_t first = accepted[0] & 1;
            const std::size_t kept = first + (accepted[1] & 1);
            x[count] = candidateX[0];
            s[count] = candidateS[0];
            x[count + first] = candidateX[1];
            s[count + first] = candidateS[1];
            if (count + kept >= n) {
                const bool lane0 = first == 1 && n - count == 1;
                generator.state = states[lane0 ? a + 1 : a + 3];
                return;
            }
            count += kept;
        }
        state = states.back();
    }
}

}  // namespace

const PathKernel kTwoLaneKernel = {"twolane", [] { return true; },
                                   kernel_steps::kWalkingAddPayOffs<DrawAcceptedPairs>};

#endif
