#include "MonteCarlo.h"

#include <cmath>

#include "Random.h"

namespace {

// Grouped as written: 2 * k, then / 32767, then - 1. Never exactly 0, so s below is never 0.
double Uniform(int k) { return 2.0 * k / kRandomMax - 1.0; }

}  // namespace

double DrawStandardNormal() {
    RandomRun random;
    for (;;) {
        const double x = Uniform(random.Next());
        const double y = Uniform(random.Next());
        const double s = x * x + y * y;
        if (s < 1.0) {
            return x * std::sqrt(-2.0 * std::log(s) / s);
        }
    }
}

double PriceByMonteCarlo(const PayOff& payOff, double expiry, double spot, double vol, double r,
                         std::uint32_t numberOfPaths) {
    const double variance = vol * vol * expiry;
    const double rootVariance = std::sqrt(variance);
    const double itoCorrection = -0.5 * variance;
    const double movedSpot = spot * std::exp(r * expiry + itoCorrection);
    double runningSum = 0.0;
    for (std::uint32_t i = 0; i < numberOfPaths; ++i) {
        const double thisSpot = movedSpot * std::exp(rootVariance * DrawStandardNormal());
        runningSum = runningSum + payOff.Evaluate(thisSpot);
    }
    const double mean = runningSum / static_cast<double>(numberOfPaths);
    return mean * std::exp(-r * expiry);
}
