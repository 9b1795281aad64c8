#pragma once

#include <cmath>
#include <cstdint>

inline constexpr int kRandomMax = 32767;

#include "Draw-inl.h"  // at file scope, for all but the kernels, which have their own

// Paths that one period of the generator gives, from its start until its state is back there and
// the paths repeat one by one: tools/GeneratorLimits.cpp walks the period and holds this to it.
inline constexpr std::uint32_t kPathsPerPeriod = 1'686'525'938;

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
