#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What both timing programs time, so that their tables cannot differ in anything but the clock.

// The tables' rows.
inline constexpr std::array<std::uint32_t, 5> kPathCounts = {1'000, 10'000, 100'000, 1'000'000,
                                                             10'000'000};
// This machine's neighbours come and go: each loop is timed this many times at each path count,
// interleaved with the others, and the fastest time stands for what the code costs.
inline constexpr int kRepetitions = 30;

struct TimedLoop {
    std::string name;
    // The typical call priced over that many paths.
    std::function<double(std::uint32_t paths)> price;
};

// The loops in the table's order; production, told its progress or not, and each kernel are also
// given their ratio to the floor, and the natural loop its ratio to production.
struct LoopSet {
    TimedLoop production;
    TimedLoop summed;                // production told its progress, as on a terminal: it sums too
    std::vector<TimedLoop> kernels;  // those this processor runs
    TimedLoop natural;
    TimedLoop floor;
    std::string productionRuns;  // the kernel's name
    std::string processor;       // the model timed

    [[nodiscard]] std::vector<const TimedLoop*> All() const;
    // Those given their ratio to the floor.
    [[nodiscard]] std::vector<const TimedLoop*> PerFloor() const;
};

// This build's loops, the floor's paths already drawn so that no timing includes the drawing.
[[nodiscard]] const LoopSet& TimedLoops();
