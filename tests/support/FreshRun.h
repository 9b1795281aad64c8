#pragma once

#include <cstdint>

#include "MonteCarlo.h"
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

// Keeps what a pricing tells at its end, as a terminal's front end is told it.
struct KeepsSums final : PricingProgress {
    void PathsDone(std::uint32_t /*done*/, std::uint32_t /*total*/) override {}
    void Priced(double price, const PayOffSums& sums) override { told = {price, sums}; }

    struct Told {
        double price;
        PayOffSums sums;
    } told{};
};

// What a fresh run, as above, tells a terminal's front end at its end.
[[nodiscard]] inline KeepsSums::Told SumsOfAFreshRun(const PayOff& payOff, double expiry,
                                                     double spot, double vol, double r,
                                                     std::uint32_t numberOfPaths) {
    Generator fresh;
    KeepsSums kept;
    static_cast<void>(PriceWithKernel(ProductionKernel(), fresh, payOff, expiry, spot, vol, r,
                                      numberOfPaths, &kept));
    return kept.told;
}
