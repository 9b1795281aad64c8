#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

#include "MonteCarlo.h"
#include "PayOff.h"
#include "support/CaseNames.h"
#include "support/ConsoleTexts.h"
#include "support/FreshRun.h"
#include "support/Program.h"

namespace {

const std::string kTypicalCall = AsWritten(DialogueText("10.5216"));

std::string TypicalPutOutput() {
    return AsWritten(DialogueText(PriceOfAFreshRun(PayOffPut(200), 0.25, 195, 0.30, 0.05, 1000)));
}

TEST(Console, TypicalCallOneEntryPerLine) {
    const Outcome run = RunProgram(PRICER_PROGRAM, "0.25\n200\n195\n0.30\n0.05\n1000\n0\n1\n");
    EXPECT_EQ(run.output, kTypicalCall);
    EXPECT_EQ(run.status, 0);
}

TEST(Console, EntriesOnOneLineAndBlankLinesBetween) {
    for (const char* input : {"0.25 200 195 0.30 0.05 1000 0 1\n",
                              "\n\n  0.25\n\t200 195\n\n0.30 0.05\n 1000 0\n\n1"}) {
        const Outcome run = RunProgram(PRICER_PROGRAM, input);
        EXPECT_EQ(run.output, kTypicalCall) << input;
        EXPECT_EQ(run.status, 0);
    }
}

struct ChoiceCase {
    const char* entry;
    bool isCall;
};

void PrintTo(const ChoiceCase& c, std::ostream* out) {
    *out << CaseName(c.isCall).With("Entry", *c.entry != '\0' ? c.entry : "Nothing");
}

class CallPutChoice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(CallPutChoice, OnlyZeroSelectsTheCall) {
    const ChoiceCase c = GetParam();
    const Outcome run =
        RunProgram(PRICER_PROGRAM, std::string("0.25 200 195 0.30 0.05 1000 ") + c.entry + "\n1\n");
    EXPECT_EQ(run.output, c.isCall ? kTypicalCall : TypicalPutOutput());
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Entries, CallPutChoice,
                         testing::Values(ChoiceCase{"0", true}, ChoiceCase{"1", false}),
                         testing::PrintToStringParamName());

// What the stream writes for the NaN of this platform's 0.0 / 0.0: "-nan" with glibc on x86, "nan"
// on aarch64 and with Windows' runtime.
std::string NotANumberText() {
    volatile double zero = 0.0;
    std::ostringstream text;
    text << zero / zero;
    return text.str();
}

TEST(Console, ZeroPathsPrintNotANumber) {
    const Outcome run = RunProgram(PRICER_PROGRAM, "0.25 200 195 0.30 0.05 0 0 1\n");
    EXPECT_EQ(run.output, AsWritten(DialogueText(NotANumberText())));
    EXPECT_EQ(run.status, 0);
}

TEST(Console, WaitsAtTheClosingReadUntilANonBlankEntry) {
    Program program(PRICER_PROGRAM);
    program.Write("0.25 200 195 0.30 0.05 1000 0\n");
    ASSERT_TRUE(program.ReadUntilEndsWith("the price is 10.5216", std::chrono::seconds(30)))
        << "the price must reach the screen before the closing read waits:\n"
        << program.Output();
    EXPECT_TRUE(program.WaitsForInput(std::chrono::seconds(30)))
        << "ended without the closing entry";
    program.Write("\n   \n\t\n");
    EXPECT_TRUE(program.WaitsForInput(std::chrono::seconds(30)))
        << "blank lines ended the closing read";
    program.Write("x\n");
    EXPECT_EQ(program.WaitForExit(std::chrono::seconds(30)), 0);
    EXPECT_EQ(program.Output(), kTypicalCall);
}

TEST(Console, EachPromptIsShownBeforeItsReadWaits) {
    Program program(PRICER_PROGRAM);
    const char* entries[] = {"0.25\n", "200\n", "195\n", "0.30\n", "0.05\n", "1000\n", "0\n"};
    std::string shown;
    for (std::size_t read = 0; read < kPromptTexts.size(); ++read) {
        shown += AsWritten(kPromptTexts[read]);
        ASSERT_TRUE(program.ReadUntilEndsWith(shown, std::chrono::seconds(30))) << program.Output();
        program.Write(entries[read]);
    }
    ASSERT_TRUE(program.ReadUntilEndsWith(kTypicalCall, std::chrono::seconds(30)));
    program.Write("1\n");
    EXPECT_EQ(program.WaitForExit(std::chrono::seconds(30)), 0);
}

TEST(Console, AfterALetterEndsWithoutWaiting) {
    const Outcome run =
        RunProgram(PRICER_PROGRAM, "0.25 200 195 0.30 0.05 1000 p\n", /*holdInputOpen=*/true);
    EXPECT_EQ(run.output, TypicalPutOutput());
    EXPECT_EQ(run.status, 0);
}

// Paths for about two seconds of pricing in this build on this machine, judged by the fastest of a
// few short runs here: a progress line shows after one second.
std::uint32_t PathsForTwoSeconds() {
    constexpr std::uint32_t kSample = 1u << 20;
    double fastest = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        (void)PriceByMonteCarlo(PayOffCall(200), 0.25, 195, 0.30, 0.05, kSample);
        fastest = std::min(
            fastest,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return static_cast<std::uint32_t>(std::min(2.0 * kSample / fastest, 4e9));
}

// The line that a terminal shows after `written`, where a carriage return goes back to its start;
// as wide as the furthest column written.
std::string LineShown(std::string_view written) {
    std::string line;
    std::size_t column = 0;
    for (const char c : written) {
        if (c == '\r') {
            column = 0;
        } else {
            line.resize(std::max(line.size(), column + 1));
            line[column++] = c;
        }
    }
    return line;
}

// Progress, blanked out, and then beside the price its standard error, which the price's line and
// it leave the last column free.
TEST(Console, ShowsProgressOnlyOnATerminalAndLeavesItsLineBlank) {
    if (!CanGive(Sink::Terminal)) {
        GTEST_SKIP() << "the harness has no pseudo-terminal to give on this platform";
    }
    if (ProgramIsWrapped()) {
        GTEST_SKIP() << "the program runs under another tool, at a speed this test cannot know";
    }
    const std::string paths = std::to_string(PathsForTwoSeconds());
    constexpr unsigned short kColumns = 45;  // narrower than the whole line
    Program watched(PRICER_PROGRAM, Sink::Pipe, Sink::Terminal, kColumns);
    Program piped(PRICER_PROGRAM, Sink::Pipe, Sink::Pipe);
    for (Program* program : {&watched, &piped}) {
        program->Write("0.25 200 195 0.30 0.05 " + paths + " 0\n1\n");
    }
    EXPECT_EQ(watched.WaitForExit(std::chrono::seconds(60)), 0);
    EXPECT_EQ(piped.WaitForExit(std::chrono::seconds(60)), 0);

    EXPECT_TRUE(piped.Output().starts_with(AsWritten(DialogueText(""))));
    EXPECT_EQ(watched.Output(), piped.Output());
    EXPECT_EQ(piped.Errors(), "");
    const std::string& errors = watched.Errors();
    EXPECT_NE(errors.find(" %, "), std::string::npos) << errors;
    const std::size_t blanked = errors.rfind('\r') + 1;  // the cursor back at the line's start
    const std::string shown = LineShown(errors.substr(0, blanked));
    EXPECT_LT(shown.size(), kColumns) << "reached the last column, and wrapped";
    EXPECT_EQ(shown.find_first_not_of(' '), std::string::npos);
    const std::string error = errors.substr(blanked);
    EXPECT_TRUE(error.starts_with("  (") && error.find("error 0.") != std::string::npos &&
                error.ends_with(')'))
        << errors;
    const std::size_t priceLine = piped.Output().size() - AsWritten(kAllPrompts).size();
    EXPECT_LT(priceLine + error.size(), kColumns) << "reached the last column, and wrapped";
}

TEST(Console, ShowsTheStandardErrorBesideThePriceOnlyOnATerminal) {
    if (!CanGive(Sink::Terminal)) {
        GTEST_SKIP() << "the harness has no pseudo-terminal to give on this platform";
    }
    Program watched(PRICER_PROGRAM, Sink::Pipe, Sink::Terminal, 80);
    watched.Write("0.25 200 195 0.30 0.05 1000 0\n");
    ASSERT_TRUE(watched.WaitsForInput(std::chrono::seconds(30)))
        << "ended without the closing entry";
    EXPECT_EQ(watched.Output(), kTypicalCall);
    EXPECT_EQ(watched.Errors(), "  (standard error 0.536: true price within 1.05 at 95 %)");
    watched.Write("1\n");
    EXPECT_EQ(watched.WaitForExit(std::chrono::seconds(30)), 0);
}

}  // namespace
