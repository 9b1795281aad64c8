#pragma once

#include <cstdint>
#include <cstdlib>

// The pricer's uniform integers, 0 to 32767 inclusive, from a process-wide generator that starts
// from a fixed state and that nothing in the program reseeds. Where the runtime's rand has exactly
// this range it is that rand; elsewhere it is the linear congruential generator of the most common
// runtime with this range: state = state * 214013 + 2531011 modulo 2^32, and each value is bits 16
// to 30 of the new state.
inline constexpr int kRandomMax = 32767;

namespace lcg {

inline constexpr bool kUsePlatformRand = RAND_MAX == kRandomMax;
inline constexpr std::uint32_t kInitialState = 1;
inline std::uint32_t state = kInitialState;

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

inline constexpr SkipAhead kOneStep = SkipAheadBy(1);

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

[[nodiscard]] inline int NextRandom() {
    if constexpr (lcg::kUsePlatformRand) {
        return std::rand();
    } else {
        lcg::state = lcg::Step(lcg::state, lcg::kOneStep);
        return static_cast<int>(lcg::Output(lcg::state));
    }
}

// Back to the initial state, as srand(1) does; for tests and tools that want a fresh run's
// sequence.
inline void ResetRandom() {
    if constexpr (lcg::kUsePlatformRand) {
        std::srand(1);
    } else {
        lcg::state = lcg::kInitialState;
    }
}
