#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "Tables.h"

namespace {

LoopSet Loops() {
    return {{"production", {}}, {"summed", {}}, {{"wide", {}}, {"wider", {}}},
            {"natural", {}},    {"floor", {}},  "wider",
            "Some Processor"};
}

// Every loop of Loops() timed at 1000 paths.
Timings Complete() {
    return {{1000,
             {{"production", 8},
              {"summed", 8.4},
              {"wide", 9},
              {"wider", 8},
              {"natural", 20},
              {"floor", 7}}}};
}

struct GapsCase {
    const char* name;
    Timings timings;
    std::vector<std::string> gaps;
};

void PrintTo(const GapsCase& c, std::ostream* out) { *out << c.name; }

class TablesGaps : public testing::TestWithParam<GapsCase> {};

TEST_P(TablesGaps, NameEachLoopAndRowThatTheTablesLack) {
    EXPECT_EQ(Gaps(Loops(), GetParam().timings), GetParam().gaps);
}

Timings With(std::uint32_t paths, const std::string& loop, double nanos) {
    Timings timings = Complete();
    timings[paths][loop] = nanos;
    return timings;
}

Timings Without(const std::string& loop) {
    Timings timings = Complete();
    timings[1000].erase(loop);
    return timings;
}

Timings Renamed(const std::string& loop, const std::string& name) {
    Timings timings = Without(loop);
    timings[1000][name] = 7;
    return timings;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TablesGaps,
    testing::Values(
        GapsCase{"Complete", Complete(), {}}, GapsCase{"NothingTimed", {}, {"nothing was timed"}},
        GapsCase{"KernelMissing", Without("wide"), {"wide at 1000 paths: not timed"}},
        GapsCase{"FloorRenamed",
                 Renamed("floor", "flor"),
                 {"floor at 1000 paths: not timed",
                  "flor at 1000 paths: timed, but no loop of the table"}},
        GapsCase{"OnlyInALaterRow",
                 With(10'000, "natural", 20),
                 {"production at 10000 paths: not timed", "summed at 10000 paths: not timed",
                  "wide at 10000 paths: not timed", "wider at 10000 paths: not timed",
                  "floor at 10000 paths: not timed"}},
        GapsCase{"FloorOfZero", With(1000, "floor", 0), {"floor at 1000 paths: 0 ns per path"}},
        GapsCase{"Negative", With(1000, "wider", -1), {"wider at 1000 paths: -1 ns per path"}},
        GapsCase{"Infinite",
                 With(1000, "production", std::numeric_limits<double>::infinity()),
                 {"production at 1000 paths: inf ns per path"}},
        GapsCase{"NotANumber",
                 With(1000, "natural", std::numeric_limits<double>::quiet_NaN()),
                 {"natural at 1000 paths: nan ns per path"}}),
    [](const testing::TestParamInfo<GapsCase>& info) { return std::string(info.param.name); });

TEST(Tables, GiveEachKernelPerFloorAndNaturalPerProduction) {
    Timings timings = Complete();
    timings[10'000] = {{"production", 7.5}, {"summed", 7.5},   {"wide", 9},
                       {"wider", 7.5},      {"natural", 22.5}, {"floor", 6}};
    EXPECT_EQ(Tables(Loops(), timings),
              "Some Processor\n"
              "nanoseconds per path, fastest of 30 interleaved repetitions; production runs wider\n"
              "    paths production     summed       wide      wider    natural      floor | per "
              "floor: production     summed       wide      wider | natural/production\n"
              "     1000       8.00       8.40       9.00       8.00      20.00       7.00 |      "
              "            1.14       1.20       1.29       1.14 |               2.50\n"
              "    10000       7.50       7.50       9.00       7.50      22.50       6.00 |      "
              "            1.25       1.25       1.50       1.25 |               3.00\n");
}

TEST(Tables, ReportFailsWhereTheyHaveGaps) { EXPECT_NE(Report(Loops(), Without("floor")), 0); }

}  // namespace
