// Drives the console dialogue with arbitrary bytes. Whatever the input, it must write the seven
// prompts and one result line, and end; the sanitizers watch for anything unsafe on the way.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "Dialogue.h"
#include "support/ConsoleTexts.h"

namespace {

// A few paths show everything the dialogue does with the count; billions would only take time.
double PriceFewPaths(const PayOff& payOff, double expiry, double spot, double vol, double r,
                     std::uint32_t numberOfPaths) {
    return PriceByMonteCarlo(payOff, expiry, spot, vol, r,
                             std::min<std::uint32_t>(numberOfPaths, 64));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    RunDialogue(in, out, PriceFewPaths);

    const std::string written = out.str();
    const std::string_view price = std::string_view(written).substr(
        std::min(written.size(), kAllPrompts.size() + kResultText.size()));
    const bool whole = written.starts_with(kAllPrompts) &&
                       written.compare(kAllPrompts.size(), kResultText.size(), kResultText) == 0 &&
                       !price.empty() && price.find_first_of("\n ") == std::string_view::npos;
    if (!whole) {
        std::abort();
    }
    return 0;
}
