// Reads the entries as the program does and prints only the price's bits, in hexadecimal: builds
// for other platforms price alike when these are equal, whatever their streams print.
#include <bit>
#include <cstdint>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "Dialogue.h"

namespace {

double lastPrice = 0.0;

double PriceAndKeep(const PayOff& payOff, double expiry, double spot, double vol, double r,
                    std::uint32_t numberOfPaths, PricingProgress* progress) {
    lastPrice = PriceByMonteCarlo(payOff, expiry, spot, vol, r, numberOfPaths, progress);
    return lastPrice;
}

}  // namespace

int main() {
    std::ostringstream dialogue;
    RunDialogue(std::cin, dialogue, PriceAndKeep);
    std::cout << std::hex << std::setfill('0') << std::setw(16)
              << std::bit_cast<std::uint64_t>(lastPrice) << '\n';
    return 0;
}
