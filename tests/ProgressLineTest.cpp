#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "MonteCarlo.h"
#include "ProgressLine.h"
#include "Random.h"

namespace {

using namespace std::chrono_literals;
using Clock = ProgressLine::Clock;

struct Step {
    Clock::duration elapsed;  // since the pricing started
    std::uint32_t done;
    std::string written;  // by the line when told
    std::size_t columns = 80;
};

struct RunCase {
    std::string name;
    std::uint32_t total;
    std::vector<Step> steps;
};

void PrintTo(const RunCase& run, std::ostream* out) { *out << run.name; }

class ProgressLineRun : public testing::TestWithParam<RunCase> {};

TEST_P(ProgressLineRun, WritesWhatATerminalShouldShow) {
    const RunCase& run = GetParam();
    std::ostringstream written;
    Clock::time_point now{};
    std::size_t columns = 0;
    const auto clock = [&now] { return now; };
    const auto width = [&columns] { return columns; };
    ProgressLine line(written, clock, width);
    for (const Step& step : run.steps) {
        now = Clock::time_point{} + step.elapsed;
        columns = step.columns;
        written.str("");
        line.PathsDone(step.done, run.total);
        EXPECT_EQ(written.str(), step.written)
            << "at " << std::chrono::duration<double>(step.elapsed).count() << " s";
    }
}

// What the line writes to show `text` over a wider one, and to blank itself.
std::string Drawn(std::string_view text, std::size_t blanks = 0) {
    return std::string("\r").append(text).append(blanks, ' ');
}
std::string Blanked(std::size_t blanks) { return Drawn("", blanks).append("\r"); }

const std::string kSlow = "10000000 of 1000000000 paths, 1 %, about 1 min 39 s left";
const std::string kFaster = "500000000 of 1000000000 paths, 50 %, about 2 s left";

// Half the paths in two seconds, drawn once in a terminal `columns` wide: the longest text that
// leaves the last column free.
RunCase HalfDoneIn(std::size_t columns, std::string_view shown) {
    return {std::string("HalfDoneIn").append(std::to_string(columns)).append("Columns"),
            1'000'000'000,
            {{0s, 0, ""}, {2s, 500'000'000, Drawn(shown), columns}}};
}

// The percentage rounds down, never to 100 before the end; the time left rounds up, never to 0.
INSTANTIATE_TEST_SUITE_P(
    Runs, ProgressLineRun,
    testing::Values(
        RunCase{"QuietASecondThenAtMostFourTimesASecondThenBlank",
                1'000'000'000,
                {{0s, 0, ""},
                 {999ms, 65536, ""},
                 {1s, 10'000'000, Drawn(kSlow)},
                 {1249ms, 400'000'000, ""},
                 {1250ms, 500'000'000, Drawn(kFaster, kSlow.size() - kFaster.size())},
                 {1300ms, 1'000'000'000, Blanked(kSlow.size())}}},
        RunCase{"LargestCount",
                4294967295,
                {{0s, 0, ""},
                 {45s, 4294901760, Drawn("4294901760 of 4294967295 paths, 99 %, about 1 s left")}}},
        RunCase{"AMinuteLeft",
                3,
                {{0s, 0, ""}, {30s, 1, Drawn("1 of 3 paths, 33 %, about 1 min 0 s left")}}},
        RunCase{"Short", 1000, {{0s, 0, ""}, {2ms, 1000, ""}}},
        RunCase{"NoPaths", 0, {{0s, 0, ""}}},
        RunCase{"EndsBeforeAReportShows",
                70000,
                {{0s, 0, ""}, {900ms, 65536, ""}, {1100ms, 70000, ""}}},
        // Words go before numbers; a width that cannot be read is taken as 80.
        HalfDoneIn(200, kFaster), HalfDoneIn(0, kFaster), HalfDoneIn(52, kFaster),
        HalfDoneIn(51, "500000000 of 1000000000 paths, 50 %, 2 s left"),
        HalfDoneIn(40, "500000000 of 1000000000, 50 %, 2 s left"), HalfDoneIn(39, "50 %, 2 s left"),
        HalfDoneIn(14, "50 %, 2 s"), HalfDoneIn(5, "50 %"), HalfDoneIn(3, "50"), HalfDoneIn(1, ""),
        RunCase{"HoursLeftIn20Columns",
                4294967295,
                {{0s, 0, ""}, {1s, 65536, Drawn("0 %, 1092 min 15 s"), 20}}},
        // Blanks reach as far as the widest text, but never into the last column.
        RunCase{"ResizedWhileShown",
                1'000'000'000,
                {{0s, 0, ""},
                 {1s, 10'000'000, Drawn(kSlow), 80},
                 {1250ms, 500'000'000, Drawn("50 %, 2 s left", 15), 30},
                 {1500ms, 750'000'000,
                  Drawn("750000000 of 1000000000 paths, 75 %, about 1 s left", 5), 80},
                 {1600ms, 1'000'000'000, Blanked(19), 20}}}),
    testing::PrintToStringParamName());

struct ErrorCase {
    std::string name;
    double price;
    PayOffSums sums;
    std::size_t columns;
    std::size_t priceEndsAt;
    std::string written;
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.name; }

class BesideThePrice : public testing::TestWithParam<ErrorCase> {};

TEST_P(BesideThePrice, WritesWhatATerminalShouldShow) {
    const ErrorCase& c = GetParam();
    std::ostringstream written;
    ProgressLine line(written, Clock::now, [&c] { return c.columns; });
    line.Priced(c.price, c.sums);
    line.PriceWritten(c.priceEndsAt);
    EXPECT_EQ(written.str(), c.written);
}

TEST(BesideThePrice, NothingWhereThePricerToldNoSums) {
    std::ostringstream written;
    ProgressLine line(written, Clock::now, [] { return 80; });
    line.PriceWritten(20);
    EXPECT_EQ(written.str(), "");
}

// Sums whose standard error is sqrt(variance / paths), undiscounted.
PayOffSums Spread(std::uint32_t paths, double variance, double discount = 1.0) {
    return {paths, discount, 100.0, 0.0, variance * (paths - 1.0)};
}

// A price line of 20 columns, as "the price is 10.5216"; its standard error 0.5.
ErrorCase Typical(std::size_t columns, std::string_view written) {
    return {std::string("In").append(std::to_string(columns)).append("Columns"),
            10.5216,
            Spread(4, 1.0),
            columns,
            20,
            std::string(written)};
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const std::string kFull = "  (standard error 0.5: true price within 0.98 at 95 %)";

// Shortened as the progress line is, within the columns that the price leaves. Nothing for under
// two paths, or a price or error that is not finite. The standard error of no volatility is 0.
INSTANTIATE_TEST_SUITE_P(
    Errors, BesideThePrice,
    testing::Values(
        Typical(80, kFull), Typical(0, kFull), Typical(75, kFull),
        Typical(74, "  (standard error 0.5)"), Typical(42, "  (error 0.5)"), Typical(33, ""),
        ErrorCase{"Discounted", 10.5216, Spread(4, 1.0, 0.5), 80, 20,
                  "  (standard error 0.25: true price within 0.49 at 95 %)"},
        ErrorCase{"NoVolatility", 2.51556, Spread(1000, 0.0), 80, 21,
                  "  (standard error 0: true price within 0 at 95 %)"},
        ErrorCase{"NoPaths", kNaN, Spread(0, 1.0), 80, 16, ""},
        ErrorCase{"OnePath", 10.5216, Spread(1, 1.0), 80, 20, ""},
        ErrorCase{"PriceNotANumber", kNaN, Spread(4, 1.0), 80, 16, ""},
        ErrorCase{"ErrorInfinite", 1e300, Spread(4, kInfinity), 80, 18, ""},
        ErrorCase{"WholePeriod", 10.5183, Spread(kPathsPerPeriod, kPathsPerPeriod / 4.0), 80, 20,
                  kFull},
        ErrorCase{"PastThePeriod", 10.5183, Spread(kPathsPerPeriod + 1, kPathsPerPeriod / 4.0), 80,
                  20, "  (the paths repeat after 1686525938: no standard error)"},
        ErrorCase{"PastThePeriodIn40Columns", 10.5183,
                  Spread(kPathsPerPeriod + 1, kPathsPerPeriod / 4.0), 40, 20, "  (paths repeat)"}),
    testing::PrintToStringParamName());

}  // namespace
