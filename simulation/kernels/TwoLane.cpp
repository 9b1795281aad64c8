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

// Four attempts a round from one state, two side by side. Lane 1's candidate is written after
// lane 0's where lane 0 is kept and over it where not, so no branch depends on a draw but the one
// that ends the block. Drawn ahead, in the shadow of exp: on an Intel Xeon that took the kernel
// from 1.28 to 1.21 times the floor (docs/speed.md).
class Draw : public kernel_steps::RoundByRound {
  public:
    static constexpr bool kAhead = true;

    using RoundByRound::RoundByRound;

    void Round() {
        static_assert(FitsInSlack(2), "lane 1's candidate is written one slot past the count");
        if (Done()) {
            return;
        }
        const auto states = kernel_steps::RoundStates(state);
        for (std::size_t a = 0; a < states.size(); a += 4) {
            const Reals x = Uniforms(states[a], states[a + 2]);
            const Reals s = polar::SquaredRadius(x, Uniforms(states[a + 1], states[a + 3]));
            const auto accepted = polar::Accepted(s);
            const std::size_t first = accepted[0] & 1;
            const std::size_t kept = first + (accepted[1] & 1);
            xOut[count] = x[0];
            sOut[count] = s[0];
            xOut[count + first] = x[1];
            sOut[count + first] = s[1];
            if (count + kept >= n) {
                const bool lane0 = first == 1 && n - count == 1;
                end = states[lane0 ? a + 1 : a + 3];
                count = n;
                return;
            }
            count += kept;
        }
        state = states.back();
    }
};

// Lane by lane, which the compilers make one vector instruction; as a loop over the paths, GCC
// unrolled the square roots into scalars.
Reals SquareRoots(Reals v) { return Reals{std::sqrt(v[0]), std::sqrt(v[1])}; }

}  // namespace

const PathKernel kTwoLaneKernel = {
    "twolane", [] { return true; },
    &kernel_steps::AddPayOffs<
        kernel_steps::kWalkingGroup, Draw, kernel_steps::SplitByIndexWalk,
        kernel_steps::VectorExponents<kernel_steps::kWalkingGroup, Reals, SquareRoots>, Reals>};

#endif
