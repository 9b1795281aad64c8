#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>

#include "Dialogue.h"
#include "support/CaseNames.h"
#include "support/ConsoleTexts.h"

namespace {

// What the dialogue handed its pricer.
struct Given {
    // With the strike entered, 200: {1, 0} for a put, {0, 1} for a call.
    std::array<double, 2> paidAt199And201;
    std::array<double, 4> expirySpotVolR;
    std::uint32_t numberOfPaths;
    PricingProgress* progress;
};

Given given;

double Record(const PayOff& payOff, double expiry, double spot, double vol, double r,
              std::uint32_t numberOfPaths, PricingProgress* progress) {
    given = {{payOff.Evaluate(199), payOff.Evaluate(201)},
             {expiry, spot, vol, r},
             numberOfPaths,
             progress};
    return 2.5;
}

struct EntryCase {
    const char* paths;
    const char* choice;
    std::uint32_t numberOfPaths;
    bool isCall;
};

void PrintTo(const EntryCase& c, std::ostream* out) {
    *out << CaseName(c.isCall)
                .With("Paths", std::stod(c.paths))
                .With("Choice", *c.choice != '\0' ? c.choice : "Nothing");
}

// Keeps what the dialogue had written when it said that the price was, and where its line ends.
class Watcher final : public PricingWatcher {
  public:
    explicit Watcher(const std::ostringstream& out) : out_(out) {}

    void PathsDone(std::uint32_t /*done*/, std::uint32_t /*total*/) override {}
    void PriceWritten(std::size_t column) override {
        written = out_.str();
        priceEndsAt = column;
    }

    std::string written;
    std::size_t priceEndsAt = 0;

  private:
    const std::ostringstream& out_;
};

class DialogueEntries : public testing::TestWithParam<EntryCase> {};

TEST_P(DialogueEntries, ReachThePricerAsRead) {
    const EntryCase c = GetParam();
    std::istringstream in(std::string("0.25 200 195 0.30 0.05 ") + c.paths + " " + c.choice);
    std::ostringstream out;
    Watcher watcher(out);
    given = {};

    RunDialogue(in, out, Record, &watcher);

    EXPECT_EQ(given.numberOfPaths, c.numberOfPaths);
    EXPECT_EQ(given.paidAt199And201, (c.isCall ? std::array{0.0, 1.0} : std::array{1.0, 0.0}));
    EXPECT_EQ(given.expirySpotVolR, (std::array{0.25, 195.0, 0.30, 0.05}));
    EXPECT_EQ(given.progress, &watcher);
    EXPECT_EQ(out.str(), DialogueText("2.5"));
    EXPECT_EQ(watcher.written, out.str()) << "told before the price was written, or after more";
    EXPECT_EQ(watcher.priceEndsAt, std::string("the price is 2.5").size());
}

// A count too large for 32 bits reads as the largest one and fails the read, and with it the
// choice's read, which then selects the put; -1 wraps round, as the stream reads unsigned numbers.
// Only an entry read as 0 selects the call.
INSTANTIATE_TEST_SUITE_P(
    Entries, DialogueEntries,
    testing::Values(EntryCase{"1000", "0", 1000, true}, EntryCase{"1000", "00", 1000, true},
                    EntryCase{"1000", "1", 1000, false}, EntryCase{"1000", "7", 1000, false},
                    EntryCase{"1000", "4294967295", 1000, false},
                    EntryCase{"1000", "4294967296", 1000, false},
                    EntryCase{"1000", "p", 1000, false}, EntryCase{"1000", "", 1000, false},
                    EntryCase{"4294967295", "0", 4294967295, true},
                    EntryCase{"4294967296", "0", 4294967295, false},
                    EntryCase{"99999999999", "0", 4294967295, false},
                    EntryCase{"-1", "0", 4294967295, true}),
    testing::PrintToStringParamName());

}  // namespace
