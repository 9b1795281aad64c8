#include "Dialogue.h"

#include <istream>
#include <memory>
#include <ostream>
#include <sstream>

namespace {

constexpr const char* kResultText = "the price is ";

}  // namespace

void RunDialogue(std::istream& in, std::ostream& out, Pricer price, PricingWatcher* watcher) {
    // Zero-initialised: a read that finds the stream already failed stores nothing.
    double expiry = 0.0;
    double strike = 0.0;
    double spot = 0.0;
    double vol = 0.0;
    double r = 0.0;
    std::uint32_t numberOfPaths = 0;
    std::uint32_t optionType = 0;

    out << "\nEnter expiry e.g. 0.25 (time to expire)\n";
    in >> expiry;
    out << "\nEnter strike e.g. 200 \n";
    in >> strike;
    out << "\nEnter spot e.g. 195 \n";
    in >> spot;
    out << "\nEnter vol e.g. 0.30 \n";
    in >> vol;
    out << "\nr (risk free rate) e.g. 0.05 \n";
    in >> r;
    out << "\nNumber of paths e.g. 1000\n";
    in >> numberOfPaths;
    out << "\nEnter 0 for call, otherwise any other key for put\n";
    in >> optionType;
    // A failed read also stores 0, so only a read that succeeds with 0 picks the call.
    const bool isCall = !in.fail() && optionType == 0;

    std::unique_ptr<PayOff> payOff;
    if (isCall) {
        payOff = std::make_unique<PayOffCall>(strike);
    } else {
        payOff = std::make_unique<PayOffPut>(strike);
    }

    // Priced before "the price is " is written: where the console shows each write at once, a
    // progress line would draw over it.
    const double value = price(*payOff, expiry, spot, vol, r, numberOfPaths, watcher);
    out << kResultText << value;
    if (watcher != nullptr) {
        // The price reaches the screen before what the watcher adds beside it, at the line's
        // width as `out` wrote it: a stream keeps no count of its columns.
        out.flush();
        std::ostringstream line;
        line.copyfmt(out);
        line << kResultText << value;
        watcher->PriceWritten(line.str().size());
    }

    // Keeps the price on screen until the user answers; a tied input stream flushes it first.
    double closingEntry = 0.0;
    in >> closingEntry;
}
