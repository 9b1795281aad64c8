// A vector kernel's code, in GCC's vector extensions, which clang shares: each includes it in its
// own namespace and region (Kernel.h), after defining there what its instruction set supplies:
//   Words, Reals                  vectors of kCount 32-bit words and of kCount doubles;
//   MaskOf(flags)                 the lanes where a comparison holds, as bits;
//   Pack(x, s, mask, xOut, sOut)  the x and s of those lanes, in order, stored as whole vectors;
//   StoreLanes(first, mask, out)  first plus each of those lanes' numbers, kIndicesStored words.

#include "Draw-inl.h"
#include "Kernel-inl.h"

inline constexpr std::size_t kCount = sizeof(Reals) / sizeof(double);

static_assert(FitsInSlack(kCount) && FitsInSlack(kIndicesStored),
              "the block's slack must cover the kernel's widest store");
static_assert(sizeof(Words) / sizeof(std::uint32_t) == kCount);

// Lane by lane, which the compilers turn into one conversion where a vector cast would take GCC
// several. Outputs have 15 bits, so the signed conversion, which every width has, is exact.
inline Reals AsReals(Words outputs) {
    const auto lanes = [&]<std::size_t... l>(std::index_sequence<l...>) {
        return Reals{static_cast<double>(static_cast<std::int32_t>(outputs[l]))...};
    };
    return lanes(std::make_index_sequence<kCount>{});
}

template <unsigned kSteps>
inline Words SkippedBy(std::uint32_t state) {
    const auto lanes = [&]<unsigned... l>(std::integer_sequence<unsigned, l...>) {
        return Words{lcg::Step(state, lcg::kSkip<2 * l + kSteps>)...};
    };
    return lanes(std::make_integer_sequence<unsigned, kCount>{});
}

// One attempt per lane: lane l holds the two states of attempt l, and each round every lane skips
// ahead over the values that all the lanes have used.
inline void DrawAcceptedPairs(Generator& generator, std::size_t n, double* x, double* s) {
    Words first = SkippedBy<1>(generator.state);
    Words second = SkippedBy<2>(generator.state);
    for (std::size_t count = 0;;) {
        const Reals candidateX = polar::Uniform(AsReals(lcg::Output(first)));
        const Reals candidateS =
            polar::SquaredRadius(candidateX, polar::Uniform(AsReals(lcg::Output(second))));
        unsigned accepted = MaskOf(polar::Accepted(candidateS));
        Pack(candidateX, candidateS, accepted, x + count, s + count);
        const std::size_t kept = std::popcount(accepted);
        if (count + kept >= n) {
            for (std::size_t k = n - count; k > 1; --k) {
                accepted &= accepted - 1;  // drops the lowest accepted lane, to find the n-th
            }
            generator.state = second[std::countr_zero(accepted)];
            return;
        }
        count += kept;
        first = lcg::Step(first, lcg::kSkip<2 * kCount>);
        second = lcg::Step(second, lcg::kSkip<2 * kCount>);
    }
}

inline std::size_t SplitForLog(std::size_t n, const double* s, std::uint32_t* fast,
                               std::uint32_t* slow) {
    std::size_t fastCount = 0;
    std::size_t slowCount = 0;
    for (std::size_t i = 0; i < n; i += kCount) {
        Reals group;
        std::memcpy(&group, s + i, sizeof group);
        const unsigned inGroup = (n - i >= kCount) ? (1u << kCount) - 1 : (1u << (n - i)) - 1;
        const unsigned isFast = inGroup & MaskOf(group < kLogSlowFrom);
        const unsigned isSlow = inGroup & ~isFast;
        StoreLanes(static_cast<std::uint32_t>(i), isFast, fast + fastCount);
        StoreLanes(static_cast<std::uint32_t>(i), isSlow, slow + slowCount);
        fastCount += std::popcount(isFast);
        slowCount += std::popcount(isSlow);
    }
    return fastCount;
}

inline constexpr auto kLanesAddPayOffs = &AddPayOffs<kCount, DrawAcceptedPairs, SplitForLog>;
