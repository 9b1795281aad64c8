#include "NaturalPricer.h"

#include <cmath>

#include "MonteCarlo.h"

double PriceByNaturalLoop(Generator& generator, const PayOff& payOff, double expiry, double spot,
                          double vol, double r, std::uint32_t numberOfPaths) {
    const double variance = vol * vol * expiry;
    const double rootVariance = std::sqrt(variance);
    const double itoCorrection = -0.5 * variance;
    const double movedSpot = spot * std::exp(r * expiry + itoCorrection);
    double runningSum = 0.0;
    for (std::uint32_t i = 0; i < numberOfPaths; ++i) {
        const double thisGaussian = DrawStandardNormal(generator);
        const double thisSpot = movedSpot * std::exp(rootVariance * thisGaussian);
        runningSum = runningSum + payOff.Evaluate(thisSpot);
    }
    const double mean = runningSum / static_cast<double>(numberOfPaths);
    return mean * std::exp(-r * expiry);
}
