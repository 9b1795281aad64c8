#include "Program.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> CommandLine(const std::string& path) {
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

// With a standard stream closed (CI may run without standard input), a pipe could take its number
// and the redirection in the child would then go wrong.
void KeepStandardStreamsOpen() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1) {
            ::open("/dev/null", O_RDWR);  // takes the lowest free number, which is fd
        }
    }
}

void Check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

// The descriptor that the child writes a sink through, and the one this side reads, where it does.
struct Ends {
    int child = -1;
    int parent = -1;
};

Ends Open(Sink sink, unsigned short terminalColumns) {
    std::array<int, 2> fds{-1, -1};
    winsize size{.ws_row = 24, .ws_col = terminalColumns, .ws_xpixel = 0, .ws_ypixel = 0};
    switch (sink) {
        case Sink::Pipe:
            Check(::pipe2(fds.data(), O_CLOEXEC) == 0, "pipe");
            return {fds[1], fds[0]};
        case Sink::Terminal:
            Check(::openpty(&fds[0], &fds[1], nullptr, nullptr,
                            terminalColumns > 0 ? &size : nullptr) == 0,
                  "openpty");
            for (const int fd : fds) {
                ::fcntl(fd, F_SETFD, FD_CLOEXEC);
            }
            return {fds[1], fds[0]};
        case Sink::FullDevice:
            fds[0] = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
            Check(fds[0] >= 0, "/dev/full");
            return {fds[0], -1};
        case Sink::Closed:
        case Sink::Inherited:
            break;
    }
    return {};
}

// In the child, between fork and exec.
void Attach(Sink sink, const Ends& ends, int fd) {
    if (sink == Sink::Closed) {
        ::close(fd);
    } else if (ends.child >= 0) {
        ::dup2(ends.child, fd);
    }
}

// What is ready on `fd` goes to `text`; at its end the descriptor is closed and set to -1. False if
// nothing was ready.
bool ReadReady(const pollfd& ready, int& fd, std::string& text) {
    if (fd < 0 || ready.revents == 0) {
        return false;
    }
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
    } else {  // a terminal's other side reports its end as EIO
        ::close(fd);
        fd = -1;
    }
    return true;
}

}  // namespace

Program::Program(const std::string& path, Sink output, Sink errors,
                 unsigned short terminalColumns) {
    // A child that ends before reading all its input must fail a write, not kill the test.
    ::signal(SIGPIPE, SIG_IGN);
    KeepStandardStreamsOpen();
    int in[2];
    Check(::pipe2(in, O_CLOEXEC) == 0, "pipe");
    const Ends out = Open(output, terminalColumns);
    const Ends err = Open(errors, terminalColumns);
    std::vector<std::string> words = CommandLine(path);
    pid_ = ::fork();
    Check(pid_ >= 0, "fork");
    if (pid_ == 0) {
        ::dup2(in[0], STDIN_FILENO);
        Attach(output, out, STDOUT_FILENO);
        Attach(errors, err, STDERR_FILENO);
        std::vector<char*> argv;
        argv.reserve(words.size() + 1);
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    for (const int fd : {out.child, err.child}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    toChild_ = in[1];
    fromOutput_ = out.parent;
    fromErrors_ = err.parent;
}

Program::~Program() {
    CloseInput();
    for (const int fd : {fromOutput_, fromErrors_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    if (status_ < 0 && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void Program::Write(std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(toChild_, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;  // the program has stopped reading; what it wrote tells the rest
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

void Program::CloseInput() {
    if (toChild_ >= 0) {
        ::close(toChild_);
        toChild_ = -1;
    }
}

// False if nothing came within `limit`, or both streams have ended.
bool Program::ReadSome(std::chrono::milliseconds limit) {
    if (fromOutput_ < 0 && fromErrors_ < 0) {
        return false;
    }
    std::array<pollfd, 2> ready{{{fromOutput_, POLLIN, 0}, {fromErrors_, POLLIN, 0}}};
    if (::poll(ready.data(), ready.size(), static_cast<int>(limit.count())) <= 0) {
        return false;
    }
    const bool output = ReadReady(ready[0], fromOutput_, output_);
    const bool errors = ReadReady(ready[1], fromErrors_, errors_);
    return output || errors;
}

bool Program::ReadUntilEndsWith(std::string_view tail, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!output_.ends_with(tail)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !ReadSome(left)) {
            return output_.ends_with(tail);
        }
    }
    return true;
}

int Program::WaitForExit(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (status_ < 0) {
        // Drain output as it comes, so a full pipe cannot stall the child.
        while (ReadSome(std::chrono::milliseconds(0))) {
        }
        int raw = 0;
        if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            break;
        }
        if (Clock::now() >= deadline) {
            return -1;
        }
        ReadSome(std::chrono::milliseconds(10));
    }
    while (ReadSome(std::chrono::milliseconds(0))) {
    }
    return status_;
}

Outcome RunProgram(std::string_view input, bool holdInputOpen) {
    Program program(PRICER_PROGRAM);
    program.Write(input);
    if (!holdInputOpen) {
        program.CloseInput();
    }
    const int status = program.WaitForExit(std::chrono::seconds(60));
    return {program.Output(), status};
}

bool ProgramIsWrapped() { return std::getenv("PRICER_TEST_WRAPPER") != nullptr; }
