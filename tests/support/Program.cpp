// The harness on POSIX: fork, exec and pipes; Linux's /proc for where the program waits.
#include "Program.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <fstream>
#include <stdexcept>

struct Program::Process {
    pid_t pid = -1;
    int toChild = -1;
    int fromOutput = -1;  // where it is a pipe or a terminal, as are these
    int fromErrors = -1;
};

namespace {

// With a standard stream closed (CI may run without standard input), a pipe could take its number
// and the redirection in the child would then go wrong.
void KeepStandardStreamsOpen() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1) {
            ::open("/dev/null", O_RDWR);  // takes the lowest free number, which is fd
        }
    }
}

// Closes `fd` where it is open, and marks it closed.
void Close(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
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
        case Sink::PipeSigpipeIgnored:
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
        Close(fd);
    }
    return true;
}

}  // namespace

bool CanGive(Sink /*sink*/) { return true; }

Program::Program(const std::string& path, Sink output, Sink errors, unsigned short terminalColumns)
    : process_(std::make_unique<Process>()) {
    // A child that ends before reading all its input must fail a write, not kill the test.
    ::signal(SIGPIPE, SIG_IGN);
    KeepStandardStreamsOpen();
    int in[2];
    Check(::pipe2(in, O_CLOEXEC) == 0, "pipe");
    const Ends out = Open(output, terminalColumns);
    const Ends err = Open(errors, terminalColumns);
    std::vector<std::string> words = CommandLine(path);
    const bool ignoresSigpipe =
        output == Sink::PipeSigpipeIgnored || errors == Sink::PipeSigpipeIgnored;
    const pid_t pid = ::fork();
    Check(pid >= 0, "fork");
    if (pid == 0) {
        // An ignored signal stays ignored across exec: the program gets the default, as from a
        // shell, unless a sink asks for it ignored.
        ::signal(SIGPIPE, ignoresSigpipe ? SIG_IGN : SIG_DFL);
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
    *process_ = {pid, in[1], out.parent, err.parent};
}

Program::~Program() {
    CloseInput();
    CloseOutput();
    Close(process_->fromErrors);
    if (!status_) {
        ::kill(process_->pid, SIGKILL);
        ::waitpid(process_->pid, nullptr, 0);
    }
}

void Program::Write(std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(process_->toChild, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;  // the program has stopped reading; what it wrote tells the rest
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

void Program::CloseInput() { Close(process_->toChild); }

void Program::CloseOutput() { Close(process_->fromOutput); }

bool Program::ReadSome(std::chrono::milliseconds limit) {
    // poll passes over a stream that has ended (-1): with both ended, it waits out `limit`.
    std::array<pollfd, 2> ready{
        {{process_->fromOutput, POLLIN, 0}, {process_->fromErrors, POLLIN, 0}}};
    if (::poll(ready.data(), ready.size(), static_cast<int>(limit.count())) <= 0) {
        return false;
    }
    const bool output = ReadReady(ready[0], process_->fromOutput, output_);
    const bool errors = ReadReady(ready[1], process_->fromErrors, errors_);
    return output || errors;
}

bool Program::Ended() {
    int raw = 0;
    if (!status_ && ::waitpid(process_->pid, &raw, WNOHANG) == process_->pid) {
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    }
    return status_.has_value();
}

// The pipe empty, and the kernel naming a pipe read as where the program sleeps (pipe_read, or
// anon_pipe_read in recent kernels; pipe_wait in those before 5.6). Under valgrind or qemu the
// process is still the program's: they run it in place, reading on its main thread.
bool Program::AtAnEmptyRead() {
    int unread = 0;
    if (process_->toChild < 0 || ::ioctl(process_->toChild, FIONREAD, &unread) != 0 || unread > 0) {
        return false;
    }
    std::ifstream file("/proc/" + std::to_string(process_->pid) + "/wchan");
    std::string sleepsIn;
    file >> sleepsIn;
    return sleepsIn.ends_with("pipe_read") || sleepsIn == "pipe_wait";
}
