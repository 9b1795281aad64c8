#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>

#include "Dialogue.h"
#include "MonteCarlo.h"

// A long pricing's progress on one line of a terminal: nothing in its first second, then the paths
// done, the percentage and the time left, redrawn at most four times a second, and blanked out when
// the pricing ends, with the cursor back where it was, so that the price is written as if the line
// had never been there. Carriage return and blanks only: every terminal and console takes those.
// Once the price is written, its standard error beside it, which stays. Neither ever reaches the
// terminal's last column, where it would wrap onto a row that a carriage return cannot come back
// to.
class ProgressLine final : public PricingWatcher {
  public:
    using Clock = std::chrono::steady_clock;

    // `columns` gives the terminal's width, asked at every redraw since the user may resize it; 0
    // where it cannot be known.
    ProgressLine(std::ostream& out, std::function<Clock::time_point()> now,
                 std::function<std::size_t()> columns);

    void PathsDone(std::uint32_t done, std::uint32_t total) override;
    void Priced(double price, const PayOffSums& sums) override;
    void PriceWritten(std::size_t column) override;

  private:
    [[nodiscard]] std::size_t Room() const;

    std::ostream& out_;
    std::function<Clock::time_point()> now_;
    std::function<std::size_t()> columns_;
    Clock::time_point start_;
    Clock::time_point drawn_;
    std::size_t width_ = 0;  // the widest text drawn since the line was last blank
    double price_ = 0.0;
    PayOffSums sums_;  // of no paths, and so no standard error, until the pricer tells them
};
