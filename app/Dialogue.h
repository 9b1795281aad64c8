#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>

#include "MonteCarlo.h"
#include "PayOff.h"

using Pricer = double (*)(const PayOff& payOff, double expiry, double spot, double vol, double r,
                          std::uint32_t numberOfPaths, PricingProgress* progress);

// What a front end shows beside the dialogue: the pricing's progress, as the pricer tells it, and
// then what it adds once the price is on screen, its line ending at `column`.
class PricingWatcher : public PricingProgress {
  public:
    virtual void PriceWritten(std::size_t column) = 0;
};

// One pricing session: seven prompts and entries, the price, then one closing read. The streams are
// never tested or cleared: after a failed read every later read takes nothing and returns at once.
// `watcher`, if any, goes to the pricer, which tells it that pricing has ended before the price is
// written, and is told when the price is written, before the closing read.
void RunDialogue(std::istream& in, std::ostream& out, Pricer price = PriceByMonteCarlo,
                 PricingWatcher* watcher = nullptr);
