// A vector kernel's code, in GCC's vector extensions, which clang shares: each includes it in its
// own namespace and region (Kernel.h), after defining there what its instruction set supplies:
//   Reals, Words                   vectors of kCount doubles and of 2 * kCount 32-bit words;
//   MaskOf(flags)                  the lanes where a comparison holds, as bits;
//   Pack(x, s, mask, xOut, sOut)   the x and s of those lanes, in order, stored as whole vectors;
//   StoreSplit(first, fast, slow, fastOut, slowOut)
//                                  first plus each lane number of `fast`, in order, at fastOut, and
//                                  of `slow` at slowOut, kIndicesStored words each;
//   SquareRoots(v)                 each lane's square root, correctly rounded;
//   kDrawsAhead                    whether to draw the next block while pricing this one;
//   kUniformsBySeries              whether uniforms come by polar::UniformBySeries or by division.
// The last two are what is fastest where the kernel is production.

#include "Draw-inl.h"
#include "Kernel-inl.h"

inline constexpr std::size_t kCount = sizeof(Reals) / sizeof(double);

static_assert(FitsInSlack(kCount) && FitsInSlack(kIndicesStored),
              "the block's slack must cover the kernel's widest store");
static_assert(sizeof(Words) / sizeof(std::uint32_t) == 2 * kCount);

// Lanes kFrom to kFrom + kCount - 1, lane by lane, which the compilers turn into one conversion
// where a vector cast would take GCC several. Outputs have 15 bits, so the signed conversion,
// which every width has, is exact.
template <std::size_t kFrom>
inline Reals AsReals(Words outputs) {
    const auto lanes = [&]<std::size_t... l>(std::index_sequence<l...>) {
        return Reals{static_cast<double>(static_cast<std::int32_t>(outputs[kFrom + l]))...};
    };
    return lanes(std::make_index_sequence<kCount>{});
}

inline Reals Uniforms(Reals k) {
    if constexpr (kUniformsBySeries) {
        return polar::UniformBySeries(k);
    } else {
        return polar::Uniform(k);
    }
}

// The skip from a round's first state to each word's: word l is the first value of attempt l,
// word kCount + l its second.
constexpr lcg::SkipAhead WordSkip(std::size_t word) {
    return lcg::SkipAheadBy(word < kCount ? 2 * word + 1 : 2 * (word - kCount) + 2);
}

template <std::size_t... w>
constexpr std::pair<Words, Words> WordSkips(std::index_sequence<w...> /*words*/) {
    return {Words{WordSkip(w).multiplier...}, Words{WordSkip(w).increment...}};
}

// Rounds of kCount attempts, lane l holding attempt l. Every state of a round is skipped ahead from
// its first: a multiply that waited for the last round's would make each round wait for the
// multiplier's latency, which on some processors is ten cycles.
class LanesDraw : public RoundByRound {
  public:
    static constexpr bool kAhead = kDrawsAhead;

    using RoundByRound::RoundByRound;

    void Round() {
        if (Done()) {
            return;
        }
        const Words outputs = lcg::Output(state * kSkips.first + kSkips.second);
        const Reals x = Uniforms(AsReals<0>(outputs));
        const Reals s = polar::SquaredRadius(x, Uniforms(AsReals<kCount>(outputs)));
        unsigned accepted = MaskOf(polar::Accepted(s));
        Pack(x, s, accepted, xOut + count, sOut + count);
        const std::size_t kept = std::popcount(accepted);
        if (count + kept >= n) {
            for (std::size_t k = n - count; k > 1; --k) {
                accepted &= accepted - 1;  // drops the lowest accepted lane, to find the n-th
            }
            end = lcg::Step(state, WordSkip(kCount + std::countr_zero(accepted)));
            count = n;
            return;
        }
        count += kept;
        state = lcg::Step(state, lcg::kSkip<2 * kCount>);
    }

  private:
    static constexpr auto kSkips = WordSkips(std::make_index_sequence<2 * kCount>{});
};

inline std::size_t SplitForLog(std::size_t n, const double* s, std::uint32_t* fast,
                               std::uint32_t* slow) {
    std::size_t fastCount = 0;  // and the slow ones before path i, i - fastCount
    const auto group = [&](std::size_t i, unsigned inGroup) {
        Reals radii;
        std::memcpy(&radii, s + i, sizeof radii);
        const unsigned isFast = inGroup & MaskOf(radii < kLogSlowFrom);
        const unsigned isSlow = inGroup ^ isFast;
        StoreSplit(static_cast<std::uint32_t>(i), isFast, isSlow, fast + fastCount,
                   slow + (i - fastCount));
        fastCount += std::popcount(isFast);
    };
    // Whole groups apart, so that only the last can need a mask of the paths it has.
    const std::size_t whole = n - n % kCount;
    for (std::size_t i = 0; i < whole; i += kCount) {
        group(i, (1u << kCount) - 1);
    }
    if (whole < n) {
        group(whole, (1u << (n - whole)) - 1);
    }
    return fastCount;
}

// Eight paths a group: one AVX-512 vector of exponents, as it was tuned, and two AVX2 ones, which
// halve the group's bookkeeping; two rounds of the next block's draw fit between its pay-offs.
inline constexpr std::size_t kGroup = 8;

inline constexpr auto kLanesAddPayOffs =
    &AddPayOffs<kGroup, LanesDraw, SplitForLog, VectorExponents<kGroup, Reals, SquareRoots>, Reals>;
