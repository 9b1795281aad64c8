// The kernel for any processor and compiler: plain C++, one attempt after another.

#include <array>
#include <cstddef>
#include <cstdint>

#include "Kernel.h"

namespace {

constexpr std::size_t kAttemptsPerRound = 4;

// Skips of 1 to 2 * kAttemptsPerRound steps, so that a round's states all come from its first.
constexpr auto kRoundSkips = [] {
    std::array<lcg::SkipAhead, 2 * kAttemptsPerRound> skips{};
    for (unsigned j = 0; j < skips.size(); ++j) {
        skips[j] = lcg::SkipAheadBy(j + 1);
    }
    return skips;
}();

// Every attempt writes its candidate and advances the count by the acceptance test, so no branch
// depends on a draw but the one that ends the block at the attempt accepting the n-th pair. The
// generator's states come a round at a time: stepping one after another, each multiply would wait
// for the last.
void DrawAcceptedPairs(std::size_t n, double* x, double* s) {
    std::size_t count = 0;
    const auto keep = [&](double first, double second) {
        x[count] = polar::UniformBySeries(first);
        s[count] = polar::SquaredRadius(x[count], polar::UniformBySeries(second));
        count += polar::Accepted(s[count]) ? 1 : 0;
    };
    if constexpr (lcg::kUsePlatformRand) {
        while (count < n) {
            const int first = NextRandom();
            keep(first, NextRandom());
        }
    } else {
        for (std::uint32_t state = lcg::state;;) {
            std::array<std::uint32_t, 2 * kAttemptsPerRound> states{};
            for (std::size_t j = 0; j < states.size(); ++j) {
                states[j] = lcg::Step(state, kRoundSkips[j]);
            }
            for (std::size_t a = 0; a < states.size(); a += 2) {
                keep(lcg::Output(states[a]), lcg::Output(states[a + 1]));
                if (count == n) {
                    lcg::state = states[a + 1];
                    return;
                }
            }
            state = states.back();
        }
    }
}

// An index walk: every index is written to both lists, and only the right one's count advances.
std::size_t SplitForLog(std::size_t n, const double* s, std::uint32_t* below, std::uint32_t* from) {
    std::size_t belowCount = 0;
    std::size_t fromCount = 0;
    for (std::size_t i = 0; i < n; ++i) {
        below[belowCount] = static_cast<std::uint32_t>(i);
        from[fromCount] = static_cast<std::uint32_t>(i);
        const bool second = s[i] >= kernel_steps::kLogSecondPathFrom;
        belowCount += second ? 0 : 1;
        fromCount += second ? 1 : 0;
    }
    return belowCount;
}

}  // namespace

const PathKernel kPortableKernel = {"portable", [] { return true; },
                                    kernel_steps::AddPayOffs<2, DrawAcceptedPairs, SplitForLog>};
