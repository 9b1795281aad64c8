#pragma once

#include <cstdint>

inline constexpr int kRandomMax = 32767;

namespace lcg {

// Skip-ahead: any number of steps taken as one, state * multiplier + increment modulo 2^32.
struct SkipAhead {
    std::uint32_t multiplier;
    std::uint32_t increment;
};

[[nodiscard]] constexpr SkipAhead SkipAheadBy(unsigned steps) {
    SkipAhead skip{1u, 0u};
    for (unsigned i = 0; i < steps; ++i) {
        skip = {skip.multiplier * 214013u, skip.increment * 214013u + 2531011u};
    }
    return skip;
}

template <unsigned kSteps>
inline constexpr SkipAhead kSkip = SkipAheadBy(kSteps);

// Templates, so that the vector kernels step and read a state per lane with the same code.
template <class Word>
[[nodiscard]] constexpr Word Step(Word s, SkipAhead skip) {
    return s * skip.multiplier + skip.increment;
}

template <class Word>
[[nodiscard]] constexpr Word Output(Word s) {
    return (s >> 16) & 0x7FFFu;
}

}  // namespace lcg

// The Windows runtimes' rand, value for value, in place of rand everywhere: most runtimes' rand has
// another range, and calling rand, even where it is this one, could neither take a round of states
// from one state nor skip ahead. A test compares the two wherever rand has this range. As a value,
// each starts where srand(1) leaves rand, and a copy goes on from where the original was.
struct Generator {
    std::uint32_t state = 1;
    [[nodiscard]] int Next() {
        state = lcg::Step(state, lcg::kSkip<1>);
        return static_cast<int>(lcg::Output(state));
    }
};
