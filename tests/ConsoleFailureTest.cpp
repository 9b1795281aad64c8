#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "PayOff.h"
#include "support/ConsoleTexts.h"
#include "support/FreshRun.h"
#include "support/PayOffs.h"
#include "support/Program.h"

namespace {

// One bad entry at each of the eight reads: the program must write every remaining prompt and one
// result line, not wait for more input, and exit with 0.

enum class Bad : std::uint8_t { Letter, EndOfInput, TooLarge };

const std::array<const char*, 8> kGoodEntries = {"0.25", "200",  "195", "0.30",
                                                 "0.05", "1000", "0",   "1"};
constexpr std::size_t kPathsRead = 5;
constexpr std::size_t kChoiceRead = 6;

struct FailureCase {
    std::size_t read;  // 0 to 7; 7 is the closing read
    Bad bad;
};

const char* BadText(const FailureCase& c) {
    switch (c.bad) {
        case Bad::Letter:
            return "q";
        case Bad::TooLarge:
            return c.read == kChoiceRead ? "99999999999" : "1e400";
        case Bad::EndOfInput:
            break;
    }
    return "";
}

// The price the program must print: every read before the bad one as typed, the bad one as the
// standard extraction leaves it, the later ones untouched (0), and the put unless 0 was read
// cleanly.
std::string ExpectedOutput(const FailureCase& c) {
    std::array<double, 5> reals{};
    std::array<std::uint32_t, 2> counts{};
    bool choiceRead = false;
    for (std::size_t read = 0; read <= c.read && read < kPromptTexts.size(); ++read) {
        std::istringstream entry(read < c.read ? kGoodEntries[read] : BadText(c));
        if (read < reals.size()) {
            entry >> reals[read];
        } else {
            entry >> counts[read - reals.size()];
            choiceRead = read == kChoiceRead && !entry.fail();
        }
    }
    const bool isCall = choiceRead && counts[1] == 0;
    return AsWritten(DialogueText(PriceOfAFreshRun(*MakePayOff(isCall, reals[1]), reals[0],
                                                   reals[2], reals[3], reals[4], counts[0])));
}

class BadEntry : public testing::TestWithParam<FailureCase> {};

TEST_P(BadEntry, WritesEverythingAndEndsWithoutWaiting) {
    const FailureCase c = GetParam();
    std::string input;
    for (std::size_t read = 0; read < c.read; ++read) {
        input += std::string(kGoodEntries[read]) + "\n";
    }
    input += BadText(c);
    input += "\n";
    // With input held open, a program that waited would be killed at the limit and report -1.
    const Outcome run =
        RunProgram(PRICER_PROGRAM, input, /*holdInputOpen=*/c.bad != Bad::EndOfInput);
    EXPECT_EQ(run.output, ExpectedOutput(c));
    EXPECT_EQ(run.status, 0);
}

std::vector<FailureCase> AllCases() {
    std::vector<FailureCase> cases;
    for (std::size_t read = 0; read < kGoodEntries.size(); ++read) {
        for (const Bad bad : {Bad::Letter, Bad::EndOfInput, Bad::TooLarge}) {
            // Too large a path count reads as 4294967295 paths: minutes of honest work, not a
            // fault.
            if (!(read == kPathsRead && bad == Bad::TooLarge)) {
                cases.push_back({read, bad});
            }
        }
    }
    return cases;
}

void PrintTo(const FailureCase& c, std::ostream* out) {
    static const char* const kKinds[] = {"Letter", "EndOfInput", "TooLarge"};
    *out << "Read" << c.read + 1 << kKinds[static_cast<int>(c.bad)];
}

INSTANTIATE_TEST_SUITE_P(EachRead, BadEntry, testing::ValuesIn(AllCases()),
                         testing::PrintToStringParamName());

// A price that could not be written is a failure, said once on standard error. A full device or a
// closed stream fails at the first prompt, and the program must still take the closing read, whose
// 1e400 leaves errno at ERANGE: the reason must be the write's own. A pipe whose reader leaves
// after the first prompt, to a program that ignores SIGPIPE, fails only when the rest is written:
// after an entry that fails to read, no read flushes it, and it would go at exit, unreported.

constexpr std::string_view kGoodLine = "0.25 200 195 0.30 0.05 1000 0\n";

struct WriteCase {
    const char* name;
    Sink output;
    std::string_view entries;
    const char* reason;
};

void PrintTo(const WriteCase& c, std::ostream* out) { *out << c.name; }

class FailedWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(FailedWrite, SaysWhyAndExitsWithOne) {
    const WriteCase c = GetParam();
    if (!CanGive(c.output)) {
        GTEST_SKIP() << "the harness cannot give that output on this platform";
    }
    Program program(PRICER_PROGRAM, c.output, Sink::Pipe);
    EXPECT_TRUE(program.WaitsForInput(std::chrono::seconds(30))) << "ended before the first read";
    program.CloseOutput();  // as `head -c 41` does, where this side reads it at all
    program.Write(c.entries);
    EXPECT_EQ(program.WaitsForInput(std::chrono::seconds(30)), c.entries == kGoodLine)
        << "only good entries leave the closing read waiting";
    program.Write("1e400\n");
    EXPECT_EQ(program.WaitForExit(std::chrono::seconds(30)), 1);
    EXPECT_EQ(program.Errors(),
              AsWritten(std::string("price_option: cannot write to standard output: ") + c.reason +
                        "\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Output, FailedWrite,
    testing::Values(WriteCase{"FullDevice", Sink::FullDevice, kGoodLine, "No space left on device"},
                    WriteCase{"Closed", Sink::Closed, kGoodLine, "Bad file descriptor"},
                    WriteCase{"PipeClosedAfterTheFirstPrompt", Sink::PipeSigpipeIgnored, "x\n",
                              "Broken pipe"}),
    testing::PrintToStringParamName());

// The waits above prove something only if a program that ends is never taken for one waiting at a
// read.
TEST(Harness, AProgramThatEndsIsNotTakenForOneWaitingAtARead) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows' harness judges a wait by a pause, which a loaded machine may outlast";
#else
    Program program(PRICER_PROGRAM);
    program.Write("0.25 200 195 0.30 0.05 1000 p\n");  // input held open, but the reads have failed
    EXPECT_FALSE(program.WaitsForInput(std::chrono::seconds(30)));
    EXPECT_EQ(program.WaitForExit(std::chrono::seconds(30)), 0);
#endif
}

}  // namespace
