#pragma once

#include <cstdint>

#include "PayOff.h"
#include "Random.h"
#include "kernels/Kernel.h"

// The price a fresh run of the program prints for these entries: its kernel, from the generator's
// fixed start, whatever the program's own sequence has done in this process.
[[nodiscard]] inline double PriceOfAFreshRun(const PayOff& payOff, double expiry, double spot,
                                             double vol, double r, std::uint32_t numberOfPaths) {
    Generator fresh;
    return PriceWithKernel(ProductionKernel(), fresh, payOff, expiry, spot, vol, r, numberOfPaths);
}
