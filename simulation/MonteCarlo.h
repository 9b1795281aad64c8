#pragma once

#include <cstdint>

#include "PayOff.h"
#include "Random.h"

// Every formula here is evaluated as grouped, left to right, each step rounded to double; sqrt,
// log and exp are the standard library's. The generator (Random.h) gives integers 0 to 32767: the
// given one's, or without one the program's, whose sequence each call continues as rand's would.

// One standard normal by the polar method, from two of the generator's integers k1, k2 per attempt:
//     x = 2 * k1 / 32767 - 1;  y = 2 * k2 / 32767 - 1;  s = x * x + y * y
// attempts until s < 1, then returns x * sqrt(-2 * log(s) / s).
[[nodiscard]] double DrawStandardNormal(Generator& generator);
[[nodiscard]] double DrawStandardNormal();
// A copy of the program's generator, for tests to follow its sequence.
[[nodiscard]] Generator ProgramGenerator();

// A pricing's pay-offs summed for their spread in one pass, each taken less the first path's: where
// the spread is small beside the mean, deep in the money at a low vol, squares of the pay-offs
// themselves would lose its digits to the mean's. Kept apart from the price's running sum.
struct PayOffSums {
    std::uint32_t paths = 0;
    double discount = 0.0;        // exp(-r * expiry), as the price is discounted
    double reference = 0.0;       // the first path's pay-off
    double shifted = 0.0;         // the sum of each pay-off less the reference,
    double shiftedSquares = 0.0;  // and of its square
};

// The price's standard error: discount * the pay-offs' sample standard deviation / sqrt(paths); NaN
// for fewer than two paths. Past kPathsPerPeriod the paths repeat, and it flatters the price.
[[nodiscard]] double StandardError(const PayOffSums& sums);

// Told how far a pricing has come, so that a front end can show a long run's progress: once with
// none done before the first path, after every kPathsPerProgress paths, and once with all done at
// the end (for 0 paths, the first call is also the last). Seldom enough for a clock to be read.
// Then told the price and its pay-offs' sums, which the pricer keeps only for a pricing told its
// progress.
class PricingProgress {
  public:
    PricingProgress() = default;
    PricingProgress(const PricingProgress&) = delete;
    PricingProgress& operator=(const PricingProgress&) = delete;
    virtual ~PricingProgress() = default;

    virtual void PathsDone(std::uint32_t done, std::uint32_t total) = 0;
    virtual void Priced(double /*price*/, const PayOffSums& /*sums*/) {}
};

inline constexpr std::uint32_t kPathsPerProgress = 1u << 16;

// The discounted mean pay-off over numberOfPaths terminal prices under lognormal dynamics with
// drift r; expiry in years, vol and r as yearly fractions. The result is, bit for bit, that of this
// loop, and the generator is left where the loop leaves it:
//     variance = vol * vol * expiry;  rootVariance = sqrt(variance)
//     movedSpot = spot * exp(r * expiry + -0.5 * variance);  runningSum = 0
//     numberOfPaths times, in order:
//         thisSpot = movedSpot * exp(rootVariance * DrawStandardNormal())
//         runningSum = runningSum + payOff.Evaluate(thisSpot)
//     return runningSum / numberOfPaths * exp(-r * expiry)
// with `progress`, if not null, told how far it has come and then the pay-offs' sums. No input is
// checked: 0 paths gives NaN.
// From a given generator: PriceWithKernel(ProductionKernel(), generator, ...) (kernels/Kernel.h).
[[nodiscard]] double PriceByMonteCarlo(const PayOff& payOff, double expiry, double spot, double vol,
                                       double r, std::uint32_t numberOfPaths,
                                       PricingProgress* progress = nullptr);
