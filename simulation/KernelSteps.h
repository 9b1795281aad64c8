#pragma once

// Code shared by the kernels. Each kernel's file calls it from functions compiled for its own
// instruction set, where it is inlined and vectorised to that width; any copy that is not inlined
// stays compiled for the baseline, so every processor can run it.

#include <bit>
#include <cstddef>
#include <cstdint>

#include "PathKernel.h"
#include "PolarMethod.h"
#include "Random.h"

namespace kernel_steps {

// An index walk: every index is written to both lists, and only the right one's count advances.
inline std::size_t SplitForLog(std::size_t n, const double* s, std::uint32_t* below,
                               std::uint32_t* from) {
    std::size_t belowCount = 0;
    std::size_t fromCount = 0;
    for (std::size_t i = 0; i < n; ++i) {
        below[belowCount] = static_cast<std::uint32_t>(i);
        from[fromCount] = static_cast<std::uint32_t>(i);
        const bool second = s[i] >= kLogSecondPathFrom;
        belowCount += second ? 0 : 1;
        fromCount += second ? 1 : 0;
    }
    return belowCount;
}

inline void ToExponents(std::size_t n, const double* x, const double* s, const double* logS,
                        double rootVariance, double* exponent) {
    for (std::size_t i = 0; i < n; ++i) {
        exponent[i] = rootVariance * polar::NormalFromLog(x[i], s[i], logS[i]);
    }
}

#ifdef PRICER_X86_64_KERNELS

// The lane of the k-th (from 1) accepted attempt in a mask of accepted lanes: the lane that ends a
// block.
inline std::size_t NthSetBit(unsigned mask, std::size_t k) {
    for (; k > 1; --k) {
        mask &= mask - 1;
    }
    return static_cast<std::size_t>(std::countr_zero(mask));
}

// Attempts of the stand-in generator, one per lane of a vector: lane l holds the two states of
// attempt l, and each round every lane jumps over the values that all the lanes have used. Words
// and Ints are vectors of 32-bit integers, Reals a vector of as many doubles.
template <class Words, class Ints, class Reals>
class AttemptLanes {
  public:
    static constexpr std::size_t kLanes = sizeof(Reals) / sizeof(double);
    using Flags = decltype(Reals{} < 1.0);  // all ones in a lane where a comparison holds

    explicit AttemptLanes(std::uint32_t state) {
        for (std::size_t l = 0; l < kLanes; ++l) {
            first_[l] = state = random_detail::Step(state, random_detail::kOneStep);
            second_[l] = state = random_detail::Step(state, random_detail::kOneStep);
        }
    }

    // Each lane's candidate x and squared radius s, and whether it is accepted. Results go out by
    // reference: a vector passed by value to or from a function compiled for another instruction
    // set would not arrive where the callee looks for it when nothing is inlined.
    void Candidates(Reals& x, Reals& s, Flags& accepted) const {
        x = polar::Uniform(AsReals(random_detail::Output(first_)));
        s = polar::SquaredRadius(x, polar::Uniform(AsReals(random_detail::Output(second_))));
        accepted = polar::Accepted(s);
    }

    void Advance() {
        first_ = random_detail::Step(first_, kRound);
        second_ = random_detail::Step(second_, kRound);
    }

    // The generator's state once the attempt in lane l is done.
    [[nodiscard]] std::uint32_t StateAfter(std::size_t l) const { return second_[l]; }

  private:
    static constexpr random_detail::Jump kRound = random_detail::JumpOf(2 * kLanes);

    // Outputs have 15 bits, so the signed conversion, which every width has, is exact.
    static Reals AsReals(Words outputs) { return __builtin_convertvector((Ints)outputs, Reals); }

    Words first_;
    Words second_;
};

#endif

}  // namespace kernel_steps
