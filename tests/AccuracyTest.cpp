#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "PayOff.h"
#include "support/BlackScholes.h"
#include "support/FreshRun.h"
#include "support/PayOffs.h"

namespace {

using black_scholes::Option;

constexpr std::uint32_t kPaths = 1'000'000;

// Four standard errors: the fixed generator makes each case's outcome certain, and at this many
// paths the bias of its 15-bit grid is a fraction of one standard error.
constexpr double kErrorsAllowed = 4.0;

std::vector<Option> Grid() {
    std::vector<Option> grid;
    for (const bool isCall : {true, false}) {
        for (const double expiry : {0.25, 1.0, 2.0}) {
            for (const double vol : {0.1, 0.3, 0.5}) {
                for (const double strike : {160.0, 200.0, 240.0}) {
                    grid.push_back({isCall, expiry, strike, 195.0, vol, 0.05});
                }
            }
        }
    }
    return grid;
}

KeepsSums::Told Simulate(const Option& o, std::uint32_t paths = kPaths) {
    return SumsOfAFreshRun(*MakePayOff(o.isCall, o.strike), o.expiry, o.spot, o.vol, o.r, paths);
}

std::string Describe(const Option& o) {
    return std::string(o.isCall ? "call" : "put") + " expiry " + std::to_string(o.expiry) +
           " vol " + std::to_string(o.vol) + " strike " + std::to_string(o.strike);
}

// The price, and its standard error as the terminal shows it, each within four of its own spreads.
TEST(Accuracy, ConvergesToTheClosedFormWithinFourStandardErrors) {
    for (const Option& o : Grid()) {
        const KeepsSums::Told run = Simulate(o);
        const double error = run.price - black_scholes::Price(o);
        const double standardError = black_scholes::StandardError(o, kPaths);
        EXPECT_LE(std::abs(error), kErrorsAllowed * standardError)
            << Describe(o) << ": " << error / standardError << " standard errors off";
        const double errorsError = StandardError(run.sums) - standardError;
        const double spread = black_scholes::StandardErrorsSpread(o, kPaths);
        EXPECT_LE(std::abs(errorsError), kErrorsAllowed * spread)
            << Describe(o) << ": its standard error " << errorsError / spread << " spreads off";
    }
}

struct ErrorCase {
    const char* name;
    Option option;
    std::uint32_t paths;
    double standardError;  // NaN where there is none
    double within;
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.name; }

class StandardErrorOfARun : public testing::TestWithParam<ErrorCase> {};

TEST_P(StandardErrorOfARun, IsTheClosedFormsOrNone) {
    const ErrorCase& c = GetParam();
    const double estimated = StandardError(Simulate(c.option, c.paths).sums);
    if (std::isnan(c.standardError)) {
        EXPECT_TRUE(std::isnan(estimated)) << estimated;
    } else {
        EXPECT_NEAR(estimated, c.standardError, c.within);
    }
}

// Deep in the money the call pays S_T - strike on every path, so its deviation is the terminal
// price's: forward * sqrt(exp(variance) - 1), or the spot's discounted. Here the pay-offs' mean is
// 10^7 times their deviation: squares of the pay-offs themselves would leave nothing of it, and
// their sample deviation, being normal's, strays by 1 / sqrt(2 n) of it.
ErrorCase DeepInTheMoneyAtLowVol() {
    const Option o{true, 0.25, 100, 195, 1e-7, 0.05};
    const double standardError =
        o.spot * std::sqrt(std::expm1(o.vol * o.vol * o.expiry)) / std::sqrt(kPaths);
    return {"DeepInTheMoneyAtLowVol", o, kPaths, standardError,
            kErrorsAllowed * standardError / std::sqrt(2.0 * kPaths)};
}

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// Without volatility every path pays alike: the standard error is exactly 0.
INSTANTIATE_TEST_SUITE_P(
    Rows, StandardErrorOfARun,
    testing::Values(DeepInTheMoneyAtLowVol(),
                    ErrorCase{"NoPaths", {true, 0.25, 200, 195, 0.3, 0.05}, 0, kNone, 0},
                    ErrorCase{"OnePath", {true, 0.25, 200, 195, 0.3, 0.05}, 1, kNone, 0},
                    ErrorCase{"NoVolTwoPaths", {true, 0.25, 190, 195, 0.0, 0.05}, 2, 0, 0},
                    ErrorCase{"NoVolPut", {false, 0.25, 200, 195, 0.0, 0.05}, 1000, 0, 0}),
    testing::PrintToStringParamName());

// The tolerance is only worth something if the faults a pricer is likely to have fall outside it.
// Each fault's price is known in closed form; somewhere in the grid it must stand so far from the
// truth that even a simulation of the faulty model, off by the allowed errors the other way, fails.
struct Fault {
    const char* name;
    std::function<double(const Option&)> price;
};

TEST(Accuracy, TheToleranceCatchesTheLikelyFaults) {
    const auto priceOf = [](Option o) { return black_scholes::Price(o); };
    const std::vector<Fault> faults = {
        {"no discount", [&](const Option& o) { return priceOf(o) * std::exp(o.r * o.expiry); }},
        {"Ito correction with the wrong sign",
         [&](Option o) {
             o.spot *= std::exp(o.vol * o.vol * o.expiry);
             return priceOf(o);
         }},
        {"call and put swapped",
         [&](Option o) {
             o.isCall = !o.isCall;
             return priceOf(o);
         }},
        {"variance not multiplied by the expiry",
         [&](Option o) {
             o.vol /= std::sqrt(o.expiry);
             return priceOf(o);
         }},
    };
    for (const Fault& fault : faults) {
        double widest = 0.0;
        for (const Option& o : Grid()) {
            const double gap = std::abs(fault.price(o) - black_scholes::Price(o));
            widest = std::max(widest, gap / black_scholes::StandardError(o, kPaths));
        }
        EXPECT_GT(widest, 2 * kErrorsAllowed) << fault.name;
    }
}

TEST(Accuracy, ClosedFormMatchesPublishedValues) {
    // Hull's textbook example: S 42, K 40, r 0.1, vol 0.2, T 0.5 gives 4.76 for the call, 0.81 the
    // put.
    EXPECT_NEAR(black_scholes::Price({true, 0.5, 40, 42, 0.2, 0.1}), 4.7594, 1e-4);
    EXPECT_NEAR(black_scholes::Price({false, 0.5, 40, 42, 0.2, 0.1}), 0.8086, 1e-4);
}

}  // namespace
