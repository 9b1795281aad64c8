#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "MonteCarlo.h"
#include "PayOff.h"
#include "Random.h"
#include "kernels/Kernel.h"
#include "support/CaseNames.h"
#include "support/PayOffs.h"

namespace {

// The typical call's terms but vol and the paths, priced as PriceByMonteCarlo prices, from
// `generator` in place of the program's.
double PriceFrom(Generator& generator, const PayOff& payOff, double vol, std::uint32_t paths,
                 PricingProgress* progress = nullptr) {
    return PriceWithKernel(ProductionKernel(), generator, payOff, 0.25, 195, vol, 0.05, paths,
                           progress);
}

// As the console shows a price: the stream's default notation, six significant digits.
std::string Shown(double price) {
    std::ostringstream text;
    text << price;
    return text.str();
}

TEST(Random, GivesTheSequenceOfTheCommonRuntimeGenerator) {
    Generator generator;
    for (const int expected : {41, 18467, 6334, 26500, 19169}) {
        EXPECT_EQ(generator.Next(), expected);
    }
    Generator copy = generator;
    EXPECT_EQ(copy.Next(), generator.Next()) << "a copy goes on from where it was taken";
    EXPECT_EQ(Generator{}.Next(), 41) << "every generator starts at the fixed start";
}

// The generator stands in for the runtime's rand. Where rand has the same range, the prices must be
// those of rand's own sequence, so a runtime whose rand is another generator fails here.
TEST(Random, IsTheRuntimesRandWhereRandHasTheSameRange) {
    if (RAND_MAX != kRandomMax) {
        GTEST_SKIP() << "this runtime's rand has the range 0 to " << RAND_MAX;
    }
    std::srand(1);  // rand's fixed start
    Generator generator;
    for (int i = 0; i < 1'000'000; ++i) {
        const int expected = std::rand();
        const int value = generator.Next();
        ASSERT_EQ(value, expected) << "value " << i + 1 << ": this runtime's rand is not the "
                                   << "generator that the pricer stands in for it";
    }
}

TEST(DrawStandardNormal, RejectsThePairOutsideTheCircleAndKeepsTheFirstCoordinate) {
    // The first pair (41, 18467) lies outside the unit circle; the second (6334, 26500) is
    // accepted.
    Generator generator;
    const double x = 2.0 * 6334 / 32767 - 1.0;
    const double y = 2.0 * 26500 / 32767 - 1.0;
    const double s = x * x + y * y;
    EXPECT_EQ(DrawStandardNormal(generator), x * std::sqrt(-2.0 * std::log(s) / s));
    EXPECT_EQ(generator.Next(), 19169) << "exactly two attempts of two integers each";
}

struct ZeroVolCase {
    bool isCall;
    double strike;
    double vol;
    std::uint32_t numberOfPaths;
    const char* shown;
};

void PrintTo(const ZeroVolCase& c, std::ostream* out) {
    *out << CaseName(c.isCall)
                .With("Strike", c.strike)
                .With("Vol", c.vol)
                .With("Paths", c.numberOfPaths);
}

class ZeroVolatility : public testing::TestWithParam<ZeroVolCase> {};

// Without volatility every path ends at the forward, so the price is known whatever the draws:
// the program's generator, wherever it is.
TEST_P(ZeroVolatility, PricesTheDiscountedForwardPayOff) {
    const ZeroVolCase c = GetParam();
    EXPECT_EQ(Shown(PriceByMonteCarlo(*MakePayOff(c.isCall, c.strike), 0.25, 195, c.vol, 0.05,
                                      c.numberOfPaths)),
              c.shown);
}

INSTANTIATE_TEST_SUITE_P(ForwardPayOffs, ZeroVolatility,
                         testing::Values(ZeroVolCase{false, 200, 0.0, 1, "2.51556"},
                                         ZeroVolCase{false, 200, 0.0, 1000, "2.51556"},
                                         ZeroVolCase{true, 190, 0.0, 1, "7.36022"},
                                         ZeroVolCase{true, 190, -0.0, 777, "7.36022"},
                                         ZeroVolCase{true, 200, 0.0, 1000, "0"}),
                         testing::PrintToStringParamName());

TEST(PriceByMonteCarlo, AtExpiryPaysTheIntrinsicValue) {
    EXPECT_EQ(PriceByMonteCarlo(PayOffPut(200), 0.0, 195, 0.3, 0.05, 1000), 5.0);
}

TEST(PriceByMonteCarlo, NegativeVolatilityPricesLikeItsAbsoluteValue) {
    Generator forNegative;
    Generator forPositive;
    EXPECT_EQ(PriceFrom(forNegative, PayOffCall(200), -0.3, 1000),
              PriceFrom(forPositive, PayOffCall(200), 0.3, 1000));
}

TEST(PriceByMonteCarlo, NegativeExpiryGivesZeroForCallsAndPuts) {
    EXPECT_EQ(PriceByMonteCarlo(PayOffCall(200), -0.25, 195, 0.3, 0.05, 100), 0.0);
    EXPECT_EQ(PriceByMonteCarlo(PayOffPut(200), -0.25, 195, 0.3, 0.05, 100), 0.0);
}

TEST(PriceByMonteCarlo, ZeroPathsGiveNaNAndDrawNothing) {
    Generator generator;
    EXPECT_TRUE(std::isnan(PriceFrom(generator, PayOffCall(200), 0.3, 0)));
    EXPECT_EQ(generator.state, Generator{}.state);
}

TEST(PriceByMonteCarlo, TypicalCallMatchesTheKnownPrice) {
    Generator generator;
    EXPECT_EQ(Shown(PriceFrom(generator, PayOffCall(200), 0.30, 1000)), "10.5216");
}

// Keeps what the pricer tells it.
struct Reports final : PricingProgress {
    void PathsDone(std::uint32_t done, std::uint32_t total) override {
        told.push_back({done, total});
    }
    std::vector<std::array<std::uint32_t, 2>> told;
};

TEST(PriceByMonteCarlo, TellsProgressAtTheStartEachGroupAndTheEndOnceAndPricesAlike) {
    constexpr std::uint32_t k = kPathsPerProgress;
    for (const std::vector<std::uint32_t>& done :
         {std::vector<std::uint32_t>{0}, {0, 1000}, {0, k, 2 * k}, {0, k, 2 * k, 2 * k + 300}}) {
        const std::uint32_t paths = done.back();
        Generator plainGenerator;
        const double plain = PriceFrom(plainGenerator, PayOffCall(200), 0.3, paths);
        Generator toldGenerator;
        Reports reports;
        const double told = PriceFrom(toldGenerator, PayOffCall(200), 0.3, paths, &reports);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(told), std::bit_cast<std::uint64_t>(plain)) << paths;
        EXPECT_EQ(toldGenerator.state, plainGenerator.state) << paths;
        std::vector<std::array<std::uint32_t, 2>> expected;
        expected.reserve(done.size());
        for (const std::uint32_t d : done) {
            expected.push_back({d, paths});
        }
        EXPECT_EQ(reports.told, expected) << paths;
    }
}

}  // namespace
