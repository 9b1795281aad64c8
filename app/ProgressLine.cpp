#include "ProgressLine.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <ostream>
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

// "123456789 of 1000000000 paths, 12 %, about 9 s left", or the longest shortening of it that fits
// in `room`. Words go first, then the counts, which the percentage sums up, then "left", then the
// time; the percentage is cut only where nothing else fits.
std::string Text(std::uint32_t done, std::uint32_t total, ProgressLine::Clock::duration elapsed,
                 std::size_t room) {
    const std::string counts = Join(std::to_string(done), " of ", std::to_string(total));
    const std::string percent = Join(std::to_string(std::uint64_t{done} * 100 / total), " %");
    const std::string left = TimeLeft(done, total, elapsed);
    for (const std::string& text :
         {Join(counts, " paths, ", percent, ", about ", left, " left"),
          Join(counts, " paths, ", percent, ", ", left, " left"),
          Join(counts, ", ", percent, ", ", left, " left"), Join(percent, ", ", left, " left"),
          Join(percent, ", ", left)}) {
        if (text.size() <= room) {
            return text;
        }
    }
    return percent.substr(0, room);
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

// The columns the line may use: all but the last.
std::size_t ProgressLine::Room() const {
    const std::size_t columns = columns_();
    return (columns > 0 ? columns : kUnknownColumns) - 1;
}
