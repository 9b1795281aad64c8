#include "PayOff.h"

#include <bit>
#include <cstdint>

namespace {

// Branch-free on purpose: whether a path ends in the money is a coin toss, and a mispredicted
// branch here costs more than the pay-off itself. Keeps a difference greater than 0; anything else
// (zero, negative, not a number) pays +0.0.
double PositivePart(double difference) {
    // All ones or all zeros. Subtracting from zero, not negating: Visual Studio rejects a unary
    // minus on an unsigned type (C4146).
    const std::uint64_t keep = std::uint64_t{0} - static_cast<std::uint64_t>(difference > 0.0);
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(difference) & keep);
}

}  // namespace

double PayOffCall::Evaluate(double spot) const { return PositivePart(spot - strike_); }

double PayOffPut::Evaluate(double spot) const { return PositivePart(strike_ - spot); }
