#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where the program's standard output or standard error goes: a pipe this side reads; the same to
// a program started with SIGPIPE ignored (as `trap '' PIPE` leaves it), whose writes then fail once
// this side stops reading, where the default would kill it; a pseudo-terminal (a person watching);
// the device that is always full; nowhere (the stream closed); or this process's own.
enum class Sink : std::uint8_t {
    Pipe,
    PipeSigpipeIgnored,
    Terminal,
    FullDevice,
    Closed,
    Inherited
};

// Whether this platform's harness can give the program `sink`: Windows has no pseudo-terminal
// here, no device that is always full, and no SIGPIPE.
bool CanGive(Sink sink);

// The program under test, run as a child process with a pipe for standard input. Set
// PRICER_TEST_WRAPPER (e.g. "valgrind --error-exitcode=99") to run it under another tool. A
// terminal is `terminalColumns` wide; 0 leaves its size unset, so that the program cannot read it.
class Program {
  public:
    explicit Program(const std::string& path, Sink output = Sink::Pipe,
                     Sink errors = Sink::Inherited, unsigned short terminalColumns = 0);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    void Write(std::string_view text);
    void CloseInput();
    // Stops reading standard output, as a reader that has all it wants does (`head -c 41`).
    void CloseOutput();

    // Reads standard output until it ends with `tail`; false if that has not happened within
    // `limit`.
    bool ReadUntilEndsWith(std::string_view tail, std::chrono::milliseconds limit);
    // The exit status once it has exited, or -1 if it is still running after `limit`.
    int WaitForExit(std::chrono::milliseconds limit);
    // True once the program has taken all that was written to it and waits to read more; false
    // if it ends first, or `limit` passes.
    bool WaitsForInput(std::chrono::milliseconds limit);

    [[nodiscard]] const std::string& Output() const { return output_; }
    [[nodiscard]] const std::string& Errors() const { return errors_; }

  private:
    struct Process;  // the platform's handles

    // The words that start the program: PRICER_TEST_WRAPPER's, then `path`.
    static std::vector<std::string> CommandLine(const std::string& path);

    // Reads what comes on standard output and standard error within `limit`; false if nothing
    // came and no stream ended.
    bool ReadSome(std::chrono::milliseconds limit);
    // Whether the program has exited, without waiting; status_ holds how.
    bool Ended();
    // Whether it has taken all its input and is blocked reading more.
    bool AtAnEmptyRead();
    template <typename Done>
    bool ReadUntil(Done done, std::chrono::milliseconds limit);

    std::unique_ptr<Process> process_;
    std::optional<int> status_;
    std::string output_;
    std::string errors_;
};

// Whether PRICER_TEST_WRAPPER runs the program under another tool, at a speed of its own.
bool ProgramIsWrapped();

struct Outcome {
    std::string output;
    int status;  // -1 when it had to be killed
};

// Runs the program at `path`, feeds it `input`, then either closes standard input or holds it open,
// and waits for the program to end.
Outcome RunProgram(const std::string& path, std::string_view input, bool holdInputOpen = false);
