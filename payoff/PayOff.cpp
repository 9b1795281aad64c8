#include "PayOff.h"

namespace {

// A plain greater-than test, so that a difference that is not a number pays 0.0, not NaN.
double PositivePart(double difference) { return difference > 0.0 ? difference : 0.0; }

}  // namespace

double PayOffCall::Evaluate(double spot) const { return PositivePart(spot - strike_); }

double PayOffPut::Evaluate(double spot) const { return PositivePart(strike_ - spot); }
