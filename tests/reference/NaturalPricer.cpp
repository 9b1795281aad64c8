#include "NaturalPricer.h"

#include <cmath>

#include "MonteCarlo.h"

namespace {

// `eachPayOff` is told every path's pay-off, in order.
template <typename EachPayOff>
double NaturalLoop(Generator& generator, const PayOff& payOff, double expiry, double spot,
                   double vol, double r, std::uint32_t numberOfPaths, EachPayOff eachPayOff) {
    const double variance = vol * vol * expiry;
    const double rootVariance = std::sqrt(variance);
    const double itoCorrection = -0.5 * variance;
    const double movedSpot = spot * std::exp(r * expiry + itoCorrection);
    double runningSum = 0.0;
    for (std::uint32_t i = 0; i < numberOfPaths; ++i) {
        const double thisGaussian = DrawStandardNormal(generator);
        const double thisSpot = movedSpot * std::exp(rootVariance * thisGaussian);
        const double thisPayOff = payOff.Evaluate(thisSpot);
        runningSum = runningSum + thisPayOff;
        eachPayOff(thisPayOff);
    }
    const double mean = runningSum / static_cast<double>(numberOfPaths);
    return mean * std::exp(-r * expiry);
}

}  // namespace

double PriceByNaturalLoop(Generator& generator, const PayOff& payOff, double expiry, double spot,
                          double vol, double r, std::uint32_t numberOfPaths) {
    return NaturalLoop(generator, payOff, expiry, spot, vol, r, numberOfPaths, [](double) {});
}

double PriceByNaturalLoop(Generator& generator, const PayOff& payOff, double expiry, double spot,
                          double vol, double r, std::uint32_t numberOfPaths, PayOffSums& sums) {
    sums = {.paths = numberOfPaths, .discount = std::exp(-r * expiry)};
    bool first = true;
    return NaturalLoop(generator, payOff, expiry, spot, vol, r, numberOfPaths,
                       [&](double thisPayOff) {
                           if (first) {
                               sums.reference = thisPayOff;
                               first = false;
                           } else {
                               const double shift = thisPayOff - sums.reference;
                               sums.shifted = sums.shifted + shift;
                               sums.shiftedSquares = sums.shiftedSquares + shift * shift;
                           }
                       });
}
