#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

// Where the program's standard output or standard error goes: a pipe this side reads, a
// pseudo-terminal (a person watching), the device that is always full, nowhere (the descriptor
// closed), or this process's own.
enum class Sink : std::uint8_t { Pipe, Terminal, FullDevice, Closed, Inherited };

// The program under test, run as a child process with a pipe for standard input. Set
// PRICER_TEST_WRAPPER (e.g. "valgrind --error-exitcode=99") to run it under another tool.
class Program {
  public:
    explicit Program(const std::string& path, Sink output = Sink::Pipe,
                     Sink errors = Sink::Inherited);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    void Write(std::string_view text);
    void CloseInput();

    // Reads standard output until it ends with `tail`; false if that has not happened within
    // `limit`.
    bool ReadUntilEndsWith(std::string_view tail, std::chrono::milliseconds limit);
    // The exit status once it has exited, or -1 if it is still running after `limit`.
    int WaitForExit(std::chrono::milliseconds limit);

    [[nodiscard]] const std::string& Output() const { return output_; }
    [[nodiscard]] const std::string& Errors() const { return errors_; }

  private:
    bool ReadSome(std::chrono::milliseconds limit);

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromOutput_ = -1;  // where it is a pipe or a terminal, as are these
    int fromErrors_ = -1;
    int status_ = -1;
    std::string output_;
    std::string errors_;
};

// Whether PRICER_TEST_WRAPPER runs the program under another tool, at a speed of its own.
bool ProgramIsWrapped();

// Long enough for a program that is going to end to have ended, even under valgrind.
inline constexpr std::chrono::milliseconds kSettle(1500);

struct Outcome {
    std::string output;
    int status;  // -1 when it had to be killed
};

// Feeds `input`, then either closes standard input or holds it open, and waits for the program to
// end.
Outcome RunProgram(std::string_view input, bool holdInputOpen = false);
