#pragma once

#include <cstddef>
#include <cstdint>

#include "PayOff.h"

// The typical call that every loop of the benchmarks prices.
inline constexpr double kExpiry = 0.25;
inline constexpr double kSpot = 195;
inline constexpr double kVol = 0.30;
inline constexpr double kRate = 0.05;
inline const PayOffCall kTypicalCall(200);

// What no schedule can avoid per path: one log of an accepted squared radius, one exp of the
// pricer's own exponent times the moved spot, one Evaluate through PayOff, and one add, kept out of
// the loops that call. Nothing else: the paths are drawn beforehand, at the first call.
// The floor's paths: more than a branch predictor can learn, few enough to stay in the L2 cache.
// Each block of a call takes the next kBlockSize of them, round and round.
inline constexpr std::size_t kFloorPaths = 1 << 14;
[[nodiscard]] double FloorLoop(const PayOff& payOff, std::uint32_t numberOfPaths);
