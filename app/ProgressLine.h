#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "MonteCarlo.h"

// A long pricing's progress on one line of a terminal: nothing in its first second, then the paths
// done, the percentage and the time left, redrawn at most four times a second, and blanked out when
// the pricing ends, with the cursor back where it was, so that the price is written as if the line
// had never been there. Carriage return and blanks only: every terminal and console takes those.
class ProgressLine final : public PricingProgress {
  public:
    using Clock = std::chrono::steady_clock;

    ProgressLine(std::ostream& out, std::function<Clock::time_point()> now);

    void PathsDone(std::uint32_t done, std::uint32_t total) override;

  private:
    void Draw(const std::string& text);

    std::ostream& out_;
    std::function<Clock::time_point()> now_;
    Clock::time_point start_;
    Clock::time_point drawn_;
    std::size_t width_ = 0;  // the widest text drawn since the line was last blank
};
