#pragma once

#include <cstdint>

#include "MonteCarlo.h"
#include "PayOff.h"
#include "Random.h"

// The pricing loop exactly as the model reads, one path at a time: the yardstick that the
// production pricer must match bit for bit, and the baseline it is timed against.
[[nodiscard]] double PriceByNaturalLoop(Generator& generator, const PayOff& payOff, double expiry,
                                        double spot, double vol, double r,
                                        std::uint32_t numberOfPaths);

// The same, and the pay-offs' sums as the pricer tells them: the first path's pay-off is the
// reference, and each later one is added.
[[nodiscard]] double PriceByNaturalLoop(Generator& generator, const PayOff& payOff, double expiry,
                                        double spot, double vol, double r,
                                        std::uint32_t numberOfPaths, PayOffSums& sums);
