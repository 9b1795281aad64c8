// Drives the console dialogue with arbitrary bytes. Whatever the input, it must write the seven
// prompts and one result line, and end; the sanitizers watch for anything unsafe on the way. The
// dialogue's pricer runs every kernel this processor has on the entries, so that odd ones reach
// each kernel's edges and tails too.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "Dialogue.h"
#include "NaturalPricer.h"
#include "Random.h"
#include "kernels/Kernel.h"
#include "support/ConsoleTexts.h"

namespace {

// Past one block, so that blocks end both full and part full; billions would only take time.
constexpr std::uint32_t kMostPaths = 300;

// Each kernel must give the plain loop's price to the bit, from the same state of the generator,
// and leave the generator where the loop leaves it.
double PriceWithEveryKernel(const PayOff& payOff, double expiry, double spot, double vol, double r,
                            std::uint32_t numberOfPaths, PricingProgress* /*progress*/) {
    const std::uint32_t paths = std::min(numberOfPaths, kMostPaths);
    Generator naturalGenerator;
    const double natural =
        PriceByNaturalLoop(naturalGenerator, payOff, expiry, spot, vol, r, paths);
    for (const PathKernel* kernel : RunnableKernels()) {
        Generator generator;
        const double price =
            PriceWithKernel(*kernel, generator, payOff, expiry, spot, vol, r, paths);
        if (std::bit_cast<std::uint64_t>(price) != std::bit_cast<std::uint64_t>(natural) ||
            generator.state != naturalGenerator.state) {
            std::abort();
        }
    }
    return natural;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    RunDialogue(in, out, PriceWithEveryKernel);

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
