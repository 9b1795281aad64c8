// The kernel for any processor and compiler: plain C++, one attempt at a time.

#include <array>
#include <cstddef>
#include <cstdint>

#include "KernelSteps.h"
#include "PathKernel.h"
#include "PolarMethod.h"
#include "Random.h"

namespace {

constexpr std::size_t kAttemptsPerRound = 4;

// Jumps of 1 to 2 * kAttemptsPerRound steps, so that a round's states all come from its first.
constexpr auto kRoundJumps = [] {
    std::array<random_detail::Jump, 2 * kAttemptsPerRound> jumps{};
    for (unsigned j = 0; j < jumps.size(); ++j) {
        jumps[j] = random_detail::JumpOf(j + 1);
    }
    return jumps;
}();

// Every attempt writes its candidate and advances the count by the acceptance test, so no branch
// depends on a draw but the one that ends the block at the attempt accepting the n-th pair. The
// stand-in's states come a round at a time: stepping one after another, each multiply would wait
// for the last.
void DrawAcceptedPairs(RandomRun& random, std::size_t n, double* x, double* s) {
    std::size_t count = 0;
    const auto keep = [&](auto first, auto second) {
        x[count] = polar::kUniforms[first];
        s[count] = polar::SquaredRadius(x[count], polar::kUniforms[second]);
        count += polar::Accepted(s[count]) ? 1 : 0;
    };
    if constexpr (random_detail::kUsePlatformRand) {
        while (count < n) {
            const auto [first, second] = random.NextPair();
            keep(first, second);
        }
    } else {
        for (std::uint32_t state = random.StandInState();;) {
            std::array<std::uint32_t, 2 * kAttemptsPerRound> states{};
            for (std::size_t j = 0; j < states.size(); ++j) {
                states[j] = random_detail::Step(state, kRoundJumps[j]);
            }
            for (std::size_t a = 0; a < 2 * kAttemptsPerRound; a += 2) {
                keep(random_detail::Output(states[a]), random_detail::Output(states[a + 1]));
                if (count == n) {
                    random.SetStandInState(states[a + 1]);
                    return;
                }
            }
            state = states.back();
        }
    }
}

}  // namespace

const PathKernel kPortableKernel = {"portable", DrawAcceptedPairs, kernel_steps::SplitForLog,
                                    kernel_steps::ToExponents};
