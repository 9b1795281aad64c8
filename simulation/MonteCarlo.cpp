#include "MonteCarlo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

#include "PolarMethod.h"
#include "Random.h"

namespace {

// Large enough to amortise a block's passes, small enough for its arrays to stay in L1.
constexpr std::size_t kBlockSize = 256;

// Accepted pairs (x, s) of up to kBlockSize paths; once turned, x holds the paths' terminal spots.
struct Block {
    // One slot more than a block holds: the last attempt of a block may be a rejected one, and
    // every attempt writes its candidate.
    std::array<double, kBlockSize + 1> x;
    std::array<double, kBlockSize + 1> s;
    std::size_t size = 0;
};

// Fills the block with the next n accepted pairs. Every attempt writes its candidate and advances
// the count by the acceptance test, so no branch depends on a draw; the loop stops at the attempt
// that accepts the n-th pair, so the generator ends exactly where drawing one variate at a time
// leaves it.
void DrawAcceptedPairs(RandomRun& random, std::size_t n, Block& block) {
    std::size_t count = 0;
    while (count < n) {
        const auto [first, second] = random.NextPair();
        const double x = polar::kUniforms[first];
        const double s = polar::SquaredRadius(x, polar::kUniforms[second]);
        block.x[count] = x;
        block.s[count] = s;
        count += polar::Accepted(s) ? 1 : 0;
    }
    block.size = n;
}

}  // namespace

double DrawStandardNormal() {
    RandomRun random;
    for (;;) {
        const double x = polar::Uniform(random.Next());
        const double s = polar::SquaredRadius(x, polar::Uniform(random.Next()));
        if (polar::Accepted(s)) {
            return polar::Normal(x, s);
        }
    }
}

// Paths go in blocks. While one block's pairs become terminal spots, the previous block's spots are
// evaluated and summed in path order: the maths library's calls for consecutive paths overlap, and
// a pay-off whose comparison mispredicts throws away little work, since its spot was ready long
// before.
double PriceByMonteCarlo(const PayOff& payOff, double expiry, double spot, double vol, double r,
                         std::uint32_t numberOfPaths) {
    const double variance = vol * vol * expiry;
    const double rootVariance = std::sqrt(variance);
    const double itoCorrection = -0.5 * variance;
    const double movedSpot = spot * std::exp(r * expiry + itoCorrection);
    double runningSum = 0.0;

    std::array<Block, 2> blocks;
    Block* current = &blocks[0];
    Block* previous = &blocks[1];  // its x now holds terminal spots still to be evaluated
    const auto spotAt = [&](std::size_t i) {
        return movedSpot * std::exp(rootVariance * polar::Normal(current->x[i], current->s[i]));
    };
    const auto addPayOff = [&](std::size_t i) {
        runningSum = runningSum + payOff.Evaluate(previous->x[i]);
    };

    RandomRun random;
    for (std::uint32_t done = 0; done < numberOfPaths;) {
        const std::size_t n = std::min<std::size_t>(kBlockSize, numberOfPaths - done);
        DrawAcceptedPairs(random, n, *current);
        const std::size_t both = std::min(n, previous->size);
        for (std::size_t i = 0; i < both; ++i) {
            current->x[i] = spotAt(i);
            addPayOff(i);
        }
        for (std::size_t i = both; i < n; ++i) {
            current->x[i] = spotAt(i);
        }
        for (std::size_t i = both; i < previous->size; ++i) {
            addPayOff(i);
        }
        std::swap(current, previous);
        done += static_cast<std::uint32_t>(n);
    }
    for (std::size_t i = 0; i < previous->size; ++i) {
        addPayOff(i);
    }

    const double mean = runningSum / static_cast<double>(numberOfPaths);
    return mean * std::exp(-r * expiry);
}
