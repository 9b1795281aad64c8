#pragma once

#include <cstdint>

#include "PayOff.h"

// One standard normal variate by the polar rejection method, from pairs of the generator's integers
// (two per attempt); of each accepted pair only the first coordinate's variate is kept.
[[nodiscard]] double DrawStandardNormal();

// Discounted mean pay-off over numberOfPaths terminal prices under lognormal dynamics with drift r.
// expiry in years; vol and r as yearly fractions. No input is checked: 0 paths gives NaN.
[[nodiscard]] double PriceByMonteCarlo(const PayOff& payOff, double expiry, double spot, double vol,
                                       double r, std::uint32_t numberOfPaths);
