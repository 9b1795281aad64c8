#pragma once

#include <cmath>
#include <cstdint>

inline constexpr int kRandomMax = 32767;

#include "Draw-inl.h"  // at file scope, for all but the kernels, which have their own

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
