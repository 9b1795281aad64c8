#pragma once

#include <cstdint>
#include <iosfwd>

#include "MonteCarlo.h"
#include "PayOff.h"

using Pricer = double (*)(const PayOff& payOff, double expiry, double spot, double vol, double r,
                          std::uint32_t numberOfPaths, PricingProgress* progress);

// One pricing session: seven prompts and entries, the price, then one closing read. The streams are
// never tested or cleared: after a failed read every later read takes nothing and returns at once.
// `progress`, if any, goes to the pricer, which tells it that pricing has ended before the price
// is written.
void RunDialogue(std::istream& in, std::ostream& out, Pricer price = PriceByMonteCarlo,
                 PricingProgress* progress = nullptr);
