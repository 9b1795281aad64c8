#pragma once

#include <array>
#include <cmath>

#include "Random.h"

// The pieces of the polar method, shared by the single draw and the pricer's blocks so that the two
// cannot drift apart.
namespace polar {

// Grouped as written: 2 * k, then / 32767, then - 1. Never exactly 0, so neither is a squared
// radius.
constexpr double Uniform(int k) { return 2.0 * k / kRandomMax - 1.0; }

// Uniform for every value the generator can give, so that a hot loop loads instead of dividing. The
// compiler evaluates it with correctly rounded IEEE division, as the processor does.
inline constexpr std::array<double, kRandomMax + 1> kUniforms = [] {
    std::array<double, kRandomMax + 1> table{};
    for (int k = 0; k <= kRandomMax; ++k) {
        table[k] = Uniform(k);
    }
    return table;
}();

constexpr double SquaredRadius(double x, double y) { return x * x + y * y; }

// A pair exactly on the circle is rejected as well.
constexpr bool Accepted(double s) { return s < 1.0; }

inline double Normal(double x, double s) { return x * std::sqrt(-2.0 * std::log(s) / s); }

}  // namespace polar
