#include "ProgressLine.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>

namespace {

using namespace std::chrono_literals;

constexpr auto kQuietFor = 1s;
constexpr auto kRedrawEvery = 250ms;
constexpr std::size_t kUnknownColumns = 80;

template <typename... Pieces>
std::string Join(const Pieces&... pieces) {
    std::string text;
    (text.append(pieces), ...);
    return text;
}

// "9 s", "1 min 39 s": the time left at the pace so far, rounded up so that it never says 0 while
// work remains.
std::string TimeLeft(std::uint32_t done, std::uint32_t total,
                     ProgressLine::Clock::duration elapsed) {
    const double secondsLeft = std::ceil(std::chrono::duration<double>(elapsed).count() *
                                         static_cast<double>(total - done) / done);
    const auto left = static_cast<std::uint64_t>(secondsLeft);
    const std::string seconds = Join(std::to_string(left % 60), " s");
    return left >= 60 ? Join(std::to_string(left / 60), " min ", seconds) : seconds;
}

// The first of `texts`, the longest first, that fits in `room`; nothing if none does.
std::string FirstThatFits(std::initializer_list<std::string> texts, std::size_t room) {
    for (const std::string& text : texts) {
        if (text.size() <= room) {
            return text;
        }
    }
    return {};
}

// "123456789 of 1000000000 paths, 12 %, about 9 s left", or the longest shortening of it that fits
// in `room`. Words go first, then the counts, which the percentage sums up, then "left", then the
// time; the percentage is cut only where nothing else fits.
std::string Text(std::uint32_t done, std::uint32_t total, ProgressLine::Clock::duration elapsed,
                 std::size_t room) {
    const std::string counts = Join(std::to_string(done), " of ", std::to_string(total));
    const std::string percent = Join(std::to_string(std::uint64_t{done} * 100 / total), " %");
    const std::string left = TimeLeft(done, total, elapsed);
    const std::string text =
        FirstThatFits({Join(counts, " paths, ", percent, ", about ", left, " left"),
                       Join(counts, " paths, ", percent, ", ", left, " left"),
                       Join(counts, ", ", percent, ", ", left, " left"),
                       Join(percent, ", ", left, " left"), Join(percent, ", ", left)},
                      room);
    return text.empty() ? percent.substr(0, room) : text;
}

// Three significant digits: the error's own error leaves no more that mean anything.
std::string Rounded(double value) {
    std::ostringstream text;
    text << std::setprecision(3) << value;
    return text.str();
}

// "  (standard error 0.564: true price within 1.11 at 95 %)", or the longest shortening of it that
// fits in `room`. Nothing where the price or the error is not a number that means something; past
// one period of the generator, that the paths repeat, since more of them would only narrow the
// interval and not bring the price closer.
std::string ErrorText(double price, const PayOffSums& sums, std::size_t room) {
    const double error = StandardError(sums);
    if (!std::isfinite(price) || !std::isfinite(error)) {
        return {};
    }
    if (sums.paths > kPathsPerPeriod) {
        const std::string period = std::to_string(kPathsPerPeriod);
        return FirstThatFits({Join("  (the paths repeat after ", period, ": no standard error)"),
                              "  (paths repeat: no standard error)", "  (paths repeat)"},
                             room);
    }
    constexpr double kDeviationsFor95Percent = 1.96;  // of a normal, about its mean
    const std::string shown = Rounded(error);
    const std::string within = Rounded(kDeviationsFor95Percent * error);
    return FirstThatFits(
        {Join("  (standard error ", shown, ": true price within ", within, " at 95 %)"),
         Join("  (standard error ", shown, ")"), Join("  (error ", shown, ")")},
        room);
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, std::function<Clock::time_point()> now,
                           std::function<std::size_t()> columns)
    : out_(out), now_(std::move(now)), columns_(std::move(columns)) {}

// Each write goes over the line from its start, blanking what a wider text left. What a narrowed
// terminal has already cut off or moved to another row is out of reach.
void ProgressLine::PathsDone(std::uint32_t done, std::uint32_t total) {
    if (done == total) {
        if (width_ > 0) {
            out_ << std::string("\r").append(std::min(width_, Room()), ' ').append("\r")
                 << std::flush;
            width_ = 0;
        }
        return;
    }
    const Clock::time_point now = now_();
    if (done == 0) {
        start_ = now;
    } else if (now - start_ >= kQuietFor && now - drawn_ >= kRedrawEvery) {
        drawn_ = now;
        const std::size_t room = Room();
        const std::string text = Text(done, total, now - start_, room);
        std::string line = '\r' + text;
        line.resize(1 + std::max(text.size(), std::min(width_, room)), ' ');
        width_ = std::max(width_, text.size());
        out_ << line << std::flush;
    }
}

void ProgressLine::Priced(double price, const PayOffSums& sums) {
    price_ = price;
    sums_ = sums;
}

void ProgressLine::PriceWritten(std::size_t column) {
    const std::size_t room = Room();
    const std::string text = ErrorText(price_, sums_, room > column ? room - column : 0);
    if (!text.empty()) {
        out_ << text << std::flush;
    }
}

// The columns the line may use: all but the last.
std::size_t ProgressLine::Room() const {
    const std::size_t columns = columns_();
    return (columns > 0 ? columns : kUnknownColumns) - 1;
}
