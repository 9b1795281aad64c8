#pragma once

#include <cmath>

#include "Random.h"

// Shared by the single draw and every kernel, scalar or vector, so that none can drift apart.
namespace polar {

// Never exactly 0, so neither is a squared radius.
template <class Number>
constexpr auto Uniform(Number k) {
    return 2.0 * k / kRandomMax - 1.0;
}

// Uniform without a division, which is slow at one or two lanes. 2 * k / 32767 is
// k * 2^-14 * (1 + 2^-15 + 2^-30 + ...), whose first five terms, as two products exact for a
// 15-bit k, add up to the correctly rounded quotient. A test checks every k.
template <class Number>
constexpr auto UniformBySeries(Number k) {
    return k * 0x1.00020004p-14 + k * 0x1.0002p-59 - 1.0;
}

template <class Real>
constexpr Real SquaredRadius(Real x, Real y) {
    return x * x + y * y;
}

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
