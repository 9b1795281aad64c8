#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Loops.h"

// Nanoseconds per path of each loop's fastest repetition, by path count and loop name.
using Timings = std::map<std::uint32_t, std::map<std::string, double>>;

// What keeps `timings` from making the tables, a line each: nothing timed, a loop of the table
// missing from a row, a time that is not a positive number, or a name that is no loop of the
// table. A path count with no time at all is no row: a filter can leave it out.
[[nodiscard]] std::vector<std::string> Gaps(const LoopSet& loops, const Timings& timings);

// Nanoseconds per path, each kernel's ratio to the floor and the natural loop's to production, a
// row per path count; from timings without gaps.
[[nodiscard]] std::string Tables(const LoopSet& loops, const Timings& timings);

// Prints the tables, or each gap on standard error; returns the status for the program to exit
// with.
[[nodiscard]] int Report(const LoopSet& loops, const Timings& timings);
