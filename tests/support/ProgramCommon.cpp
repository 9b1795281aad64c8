// What the harness does alike on every platform; Program.cpp (POSIX) and ProgramWindows.cpp start
// the program and read its streams.
#include <cstdlib>
#include <sstream>

#include "Program.h"

namespace {

// How often a wait looks again at what it waits for; output is read as soon as it comes.
constexpr std::chrono::milliseconds kStep(2);

}  // namespace

std::vector<std::string> Program::CommandLine(const std::string& path) {
    std::vector<std::string> words;
    if (const char* wrapper = std::getenv("PRICER_TEST_WRAPPER")) {
        std::istringstream split(wrapper);
        for (std::string word; split >> word;) {
            words.push_back(word);
        }
    }
    words.push_back(path);
    return words;
}

// Reads the program's output as it comes, so that a full pipe cannot stall it, until `done()`
// holds, the program has ended or `limit` has passed; whether `done()` held.
template <typename Done>
bool Program::ReadUntil(Done done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        while (ReadSome(std::chrono::milliseconds(0))) {
        }
        if (done()) {
            return true;
        }
        if (Ended()) {
            while (ReadSome(std::chrono::milliseconds(0))) {
            }
            return done();
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        ReadSome(kStep);
    }
}

bool Program::ReadUntilEndsWith(std::string_view tail, std::chrono::milliseconds limit) {
    return ReadUntil([&] { return output_.ends_with(tail); }, limit);
}

int Program::WaitForExit(std::chrono::milliseconds limit) {
    ReadUntil([] { return false; }, limit);
    return status_.value_or(-1);
}

bool Program::WaitsForInput(std::chrono::milliseconds limit) {
    return ReadUntil([&] { return AtAnEmptyRead(); }, limit);
}

Outcome RunProgram(const std::string& path, std::string_view input, bool holdInputOpen) {
    Program program(path);
    program.Write(input);
    if (!holdInputOpen) {
        program.CloseInput();
    }
    const int status = program.WaitForExit(std::chrono::seconds(60));
    return {program.Output(), status};
}

bool ProgramIsWrapped() { return std::getenv("PRICER_TEST_WRAPPER") != nullptr; }
