// The kernel for any processor and compiler: plain C++, one attempt after another.

#include "Kernel.h"

namespace {

// Every attempt writes its candidate and advances the count by the acceptance test, so no branch
// depends on a draw but the one that ends the block at the attempt accepting the n-th pair.
void DrawAcceptedPairs(Generator& generator, std::size_t n, double* x, double* s) {
    std::size_t count = 0;
    const auto keep = [&](double first, double second) {
        x[count] = polar::UniformBySeries(first);
        s[count] = polar::SquaredRadius(x[count], polar::UniformBySeries(second));
        count += polar::Accepted(s[count]) ? 1 : 0;
    };
    for (std::uint32_t state = generator.state;;) {
        const auto states = kernel_steps::RoundStates(state);
        for (std::size_t a = 0; a < states.size(); a += 2) {
            keep(lcg::Output(states[a]), lcg::Output(states[a + 1]));
            if (count == n) {
                generator.state = states[a + 1];
                return;
            }
        }
        state = states.back();
    }
}

}  // namespace

const PathKernel kPortableKernel = {
    "portable", [] { return true; },
    &kernel_steps::AddPayOffs<
        kernel_steps::kWalkingGroup, kernel_steps::DrawInPlace<DrawAcceptedPairs>,
        kernel_steps::SplitByIndexWalk,
        kernel_steps::PathByPathExponents<kernel_steps::kWalkingGroup>, double>};
