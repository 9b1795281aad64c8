#pragma once

#include <cmath>

#include "Random.h"

// The pieces of the polar method, shared by the single draw, the pricer's blocks and its vector
// kernels so that none can drift apart. The templates take a double, or a vector of doubles in the
// kernels, where the same operators act on every lane.
namespace polar {

// Grouped as written: 2 * k, then / 32767, then - 1. Never exactly 0, so neither is a squared
// radius.
template <class Number>
constexpr auto Uniform(Number k) {
    return 2.0 * k / kRandomMax - 1.0;
}

// Uniform without a division, for scalar code, where one divides a coordinate at a time:
// 2 * k / 32767 = k * 2^-14 * (1 + 2^-15 + 2^-30 + ...), and the first five terms, as two products
// that are exact for a 15-bit k, add up to the correctly rounded quotient; the rest is too small to
// change it. A test checks every k.
template <class Number>
constexpr auto UniformBySeries(Number k) {
    return k * 0x1.00020004p-14 + k * 0x1.0002p-59 - 1.0;
}

template <class Real>
constexpr Real SquaredRadius(Real x, Real y) {
    return x * x + y * y;
}

// A pair exactly on the circle is rejected as well.
template <class Real>
constexpr auto Accepted(Real s) {
    return s < 1.0;
}

// With the logarithm taken apart, so that a block can call log for all its paths first.
inline double NormalFromLog(double x, double s, double logS) {
    return x * std::sqrt(-2.0 * logS / s);
}

inline double Normal(double x, double s) { return NormalFromLog(x, s, std::log(s)); }

}  // namespace polar
