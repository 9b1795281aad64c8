#include "ProgressLine.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <sstream>
#include <utility>

namespace {

using namespace std::chrono_literals;

constexpr auto kQuietFor = 1s;
constexpr auto kRedrawEvery = 250ms;

// "123456789 of 1000000000 paths, 12 %, about 9 s left": the time left assumes the pace so far,
// rounded up so that it never says 0 while work remains.
std::string Text(std::uint32_t done, std::uint32_t total, ProgressLine::Clock::duration elapsed) {
    const double secondsLeft = std::ceil(std::chrono::duration<double>(elapsed).count() *
                                         static_cast<double>(total - done) / done);
    const auto left = static_cast<std::uint64_t>(secondsLeft);
    std::ostringstream text;
    text << done << " of " << total << " paths, " << std::uint64_t{done} * 100 / total
         << " %, about ";
    if (left >= 60) {
        text << left / 60 << " min ";
    }
    text << left % 60 << " s left";
    return text.str();
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, std::function<Clock::time_point()> now)
    : out_(out), now_(std::move(now)) {}

void ProgressLine::PathsDone(std::uint32_t done, std::uint32_t total) {
    if (done == total) {
        if (width_ > 0) {
            out_ << std::string("\r").append(width_, ' ').append("\r") << std::flush;
            width_ = 0;
        }
        return;
    }
    const Clock::time_point now = now_();
    if (done == 0) {
        start_ = now;
    } else if (now - start_ >= kQuietFor && now - drawn_ >= kRedrawEvery) {
        drawn_ = now;
        Draw(Text(done, total, now - start_));
    }
}

// In one write, over the line from its start, blanking what a wider text left.
void ProgressLine::Draw(const std::string& text) {
    std::string line = '\r' + text;
    if (text.size() < width_) {
        line.append(width_ - text.size(), ' ');
    }
    width_ = std::max(width_, text.size());
    out_ << line << std::flush;
}
