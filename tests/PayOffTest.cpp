#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <ostream>

#include "PayOff.h"
#include "support/CaseNames.h"
#include "support/PayOffs.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct PayOffCase {
    bool isCall;
    double strike;
    double spot;
    double expected;
};

void PrintTo(const PayOffCase& c, std::ostream* out) {
    *out << CaseName(c.isCall).With("Strike", c.strike).With("Spot", c.spot);
}

class PayOffEvaluate : public testing::TestWithParam<PayOffCase> {};

TEST_P(PayOffEvaluate, PaysThePositivePartOfTheDifference) {
    const PayOffCase c = GetParam();
    const double paid = MakePayOff(c.isCall, c.strike)->Evaluate(c.spot);
    EXPECT_EQ(paid, c.expected);
    EXPECT_FALSE(std::signbit(paid)) << "a worthless option pays +0.0";
}

INSTANTIATE_TEST_SUITE_P(
    CallsAndPuts, PayOffEvaluate,
    testing::Values(PayOffCase{true, 200, 195, 0}, PayOffCase{true, 200, 210, 10},
                    PayOffCase{true, 200, 200, 0}, PayOffCase{false, 200, 195, 5},
                    PayOffCase{false, 200, 210, 0}, PayOffCase{false, 200, 200, 0},
                    // Not-a-number spots come from a negative variance; they must pay 0, not NaN.
                    PayOffCase{true, 200, kNaN, 0}, PayOffCase{false, 200, kNaN, 0},
                    PayOffCase{true, -10, 5, 15}, PayOffCase{false, -10, 5, 0},
                    PayOffCase{false, 0, -3, 3},
                    // A difference of -0.0 is no gain either.
                    PayOffCase{true, 0, -0.0, 0}, PayOffCase{false, -0.0, 0, 0},
                    PayOffCase{true, 200, std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::infinity()},
                    PayOffCase{true, std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::infinity(), 0}),
    testing::PrintToStringParamName());

}  // namespace
