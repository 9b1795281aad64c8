#include "Program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace

Program::Program(const std::string& path) {
    // A child that ends before reading all its input must fail a write, not kill the test.
    ::signal(SIGPIPE, SIG_IGN);
    KeepStandardStreamsOpen();
    int in[2];
    int out[2];
    Check(::pipe2(in, O_CLOEXEC) == 0 && ::pipe2(out, O_CLOEXEC) == 0, "pipe");
    std::vector<std::string> words = CommandLine(path);
    pid_ = ::fork();
    Check(pid_ >= 0, "fork");
    if (pid_ == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
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
    ::close(out[1]);
    toChild_ = in[1];
    fromChild_ = out[0];
}

Program::~Program() {
    CloseInput();
    if (fromChild_ >= 0) {
        ::close(fromChild_);
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

bool Program::ReadSome(std::chrono::milliseconds limit) {
    pollfd ready{fromChild_, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(limit.count())) <= 0) {
        return false;
    }
    char buffer[4096];
    const ssize_t n = ::read(fromChild_, buffer, sizeof buffer);
    if (n <= 0) {
        return false;
    }
    output_.append(buffer, static_cast<std::size_t>(n));
    return true;
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
