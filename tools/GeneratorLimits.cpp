// Prints what the generator itself limits, for the typical call: how many paths one period of it
// gives before they repeat, and how far its 15-bit values alone move the price, as the mean over
// every pair of values that the polar method accepts, each counted once, against the closed form;
// fails where the paths of a period are not kPathsPerPeriod.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "PayOff.h"
#include "Random.h"
#include "support/BlackScholes.h"

namespace {

constexpr int kValues = kRandomMax + 1;

struct Period {
    std::uint64_t attempts;
    std::uint64_t accepted;
};

// From the generator's start until it is back there, where the paths begin to repeat.
Period WalkOnePeriod(const std::array<double, kValues>& uniform) {
    const Generator start;
    Generator generator = start;
    Period period{0, 0};
    do {
        const double x = uniform[generator.Next()];
        ++period.attempts;
        period.accepted += polar::Accepted(polar::SquaredRadius(x, uniform[generator.Next()]));
    } while (generator.state != start.state);
    return period;
}

struct PairMean {
    std::uint64_t pairs;
    double price;
};

PairMean PriceOverEveryAcceptedPair(const black_scholes::Option& option,
                                    const std::array<double, kValues>& uniform) {
    const PayOffCall call(option.strike);
    const double variance = option.vol * option.vol * option.expiry;
    const double rootVariance = std::sqrt(variance);
    const double movedSpot = option.spot * std::exp(option.r * option.expiry + -0.5 * variance);
    std::uint64_t pairs = 0;
    double sum = 0.0;
    for (const double x : uniform) {
        // A sum per first value keeps each addition's rounding far below the digits printed.
        double sumForX = 0.0;
        // Where x < 0 the normal is negative, the terminal price at most the moved spot, and so,
        // with the moved spot below the strike, the call pays nothing: counted, not priced.
        const bool paysNothing = x < 0 && movedSpot < option.strike;
        for (const double y : uniform) {
            const double s = polar::SquaredRadius(x, y);
            if (polar::Accepted(s)) {
                ++pairs;
                if (!paysNothing) {
                    sumForX +=
                        call.Evaluate(movedSpot * std::exp(rootVariance * polar::Normal(x, s)));
                }
            }
        }
        sum += sumForX;
    }
    return {pairs, sum / static_cast<double>(pairs) * std::exp(-option.r * option.expiry)};
}

}  // namespace

int main() {
    const black_scholes::Option typical{true, 0.25, 200, 195, 0.30, 0.05};
    std::array<double, kValues> uniform{};
    for (int k = 0; k < kValues; ++k) {
        uniform[k] = polar::Uniform(k);
    }

    const Period period = WalkOnePeriod(uniform);
    const PairMean mean = PriceOverEveryAcceptedPair(typical, uniform);
    const double exact = black_scholes::Price(typical);
    const double bias = mean.price - exact;
    const auto paths = static_cast<double>(period.accepted);

    std::printf("# typical call: expiry 0.25, strike 200, spot 195, vol 0.30, r 0.05\n");
    std::printf("period: %llu attempts\n", static_cast<unsigned long long>(period.attempts));
    std::printf("paths in one period: %llu\n", static_cast<unsigned long long>(period.accepted));
    std::printf("pairs accepted: %llu\n", static_cast<unsigned long long>(mean.pairs));
    std::printf("price over every accepted pair: %.9f\n", mean.price);
    std::printf("closed form: %.9f\n", exact);
    std::printf("standard deviation of one path's discounted pay-off: %.9f\n",
                black_scholes::PayOffDeviation(typical));
    std::printf("bias: %.1e, %.5f %%, %.3f standard errors at one period's paths\n", bias,
                100 * bias / exact, bias / black_scholes::StandardError(typical, paths));
    // Past this many paths the terminal says that they repeat, not how close the price is.
    if (period.accepted != kPathsPerPeriod) {
        std::fprintf(stderr, "kPathsPerPeriod is %u, but one period gives %llu paths\n",
                     kPathsPerPeriod, static_cast<unsigned long long>(period.accepted));
        return 1;
    }
    return 0;
}
