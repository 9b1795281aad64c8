#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "ProgressLine.h"

namespace {

using namespace std::chrono_literals;
using Clock = ProgressLine::Clock;

struct Step {
    Clock::duration elapsed;  // since the pricing started
    std::uint32_t done;
    std::string written;  // by the line when told
};

struct RunCase {
    const char* name;
    std::uint32_t total;
    std::vector<Step> steps;
};

void PrintTo(const RunCase& run, std::ostream* out) { *out << run.name; }

class ProgressLineRun : public testing::TestWithParam<RunCase> {};

TEST_P(ProgressLineRun, WritesWhatATerminalShouldShow) {
    const RunCase& run = GetParam();
    std::ostringstream written;
    Clock::time_point now{};
    ProgressLine line(written, [&now] { return now; });
    for (const Step& step : run.steps) {
        now = Clock::time_point{} + step.elapsed;
        written.str("");
        line.PathsDone(step.done, run.total);
        EXPECT_EQ(written.str(), step.written)
            << "at " << std::chrono::duration<double>(step.elapsed).count() << " s";
    }
}

const std::string kSlow = "10000000 of 1000000000 paths, 1 %, about 1 min 39 s left";
const std::string kFaster = "500000000 of 1000000000 paths, 50 %, about 2 s left";

// The percentage rounds down, never to 100 before the end; the time left rounds up, never to 0.
INSTANTIATE_TEST_SUITE_P(
    Runs, ProgressLineRun,
    testing::Values(
        RunCase{
            "QuietASecondThenAtMostFourTimesASecondThenBlank",
            1'000'000'000,
            {{0s, 0, ""},
             {999ms, 65536, ""},
             {1s, 10'000'000, "\r" + kSlow},
             {1249ms, 400'000'000, ""},
             {1250ms, 500'000'000,
              "\r" + kFaster + std::string(kSlow.size() - kFaster.size(), ' ')},
             {1300ms, 1'000'000'000, std::string("\r").append(kSlow.size(), ' ').append("\r")}}},
        RunCase{"LargestCount",
                4294967295,
                {{0s, 0, ""},
                 {45s, 4294901760, "\r4294901760 of 4294967295 paths, 99 %, about 1 s left"}}},
        RunCase{"AMinuteLeft",
                3,
                {{0s, 0, ""}, {30s, 1, "\r1 of 3 paths, 33 %, about 1 min 0 s left"}}},
        RunCase{"Short", 1000, {{0s, 0, ""}, {2ms, 1000, ""}}},
        RunCase{"NoPaths", 0, {{0s, 0, ""}}},
        RunCase{"EndsBeforeAReportShows",
                70000,
                {{0s, 0, ""}, {900ms, 65536, ""}, {1100ms, 70000, ""}}}),
    testing::PrintToStringParamName());

}  // namespace
