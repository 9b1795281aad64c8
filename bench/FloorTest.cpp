#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Floor.h"
#include "NaturalPricer.h"
#include "kernels/Kernel.h"

namespace {

// The floor makes the pricer's calls on the pricer's own arguments: where a runtime's exp or log
// takes longer for some arguments, as mingw-w64's exp does near 0, the floor pays it too. A block
// of its paths then pays, bit for bit, what the plain loop pays over the same paths; a cycle of
// calls takes its blocks in turn, so one starts at the first path.
TEST(FloorLoop, PaysWhatThePlainLoopPaysForTheSamePaths) {
    Generator generator;
    const double natural = PriceByNaturalLoop(generator, kTypicalCall, kExpiry, kSpot, kVol, kRate,
                                              std::uint32_t{kBlockSize});
    std::vector<std::uint64_t> floors;
    for (std::size_t call = 0; call < kFloorPaths / kBlockSize; ++call) {
        const double sum = FloorLoop(kTypicalCall, kBlockSize);
        floors.push_back(std::bit_cast<std::uint64_t>(sum / static_cast<double>(kBlockSize) *
                                                      std::exp(-kRate * kExpiry)));
    }
    EXPECT_EQ(std::ranges::count(floors, std::bit_cast<std::uint64_t>(natural)), 1) << natural;
}

}  // namespace
