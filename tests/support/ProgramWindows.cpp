// The harness on Windows: CreateProcess and anonymous pipes. Only Windows builds it; elsewhere it
// is empty, for the tools that read every source (clang-tidy).
#ifdef _WIN32
#include "Program.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

struct CloseHandleOnce {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, CloseHandleOnce>;

// Windows does not say where a process waits, so a program that has taken all its input must
// still be running this long after. Only a fault ends it sooner: load makes no false failure.
constexpr std::chrono::milliseconds kSettle(300);

void Check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string(what) + " failed with error " +
                                 std::to_string(::GetLastError()));
    }
}

// Pipes are made uninheritable; the child's end is copied inheritable just for CreateProcess, so
// that no other child holds it open.
Handle Inheritable(HANDLE handle) {
    HANDLE copy = nullptr;
    Check(::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, TRUE,
                            DUPLICATE_SAME_ACCESS) != 0,
          "DuplicateHandle");
    return Handle(copy);
}

struct Pipe {
    Handle read;
    Handle write;
};

Pipe MakePipe() {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    Check(::CreatePipe(&read, &write, nullptr, 0) != 0, "CreatePipe");
    return {Handle(read), Handle(write)};
}

// The handle that the child writes a sink through, and the one this side reads, where it does.
struct Ends {
    Handle child;
    Handle parent;
};

Ends Open(Sink sink, DWORD own) {
    switch (sink) {
        case Sink::Pipe: {
            Pipe pipe = MakePipe();
            return {Inheritable(pipe.write.get()), std::move(pipe.read)};
        }
        case Sink::Inherited: {
            const HANDLE handle = ::GetStdHandle(own);
            if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
                return {};
            }
            return {Inheritable(handle), nullptr};
        }
        case Sink::Closed:
            return {};
        case Sink::PipeSigpipeIgnored:
        case Sink::Terminal:
        case Sink::FullDevice:
            break;
    }
    throw std::logic_error("no such sink on Windows");
}

// One string in which each word stands quoted; the words here (paths, a wrapper's options) hold
// no quote of their own.
std::string Quoted(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        Check(word.find('"') == std::string::npos, "quoting a word with a quote in it");
        line += (line.empty() ? "\"" : " \"") + word + '"';
    }
    return line;
}

// What has come on `from` goes to `text`; at its end the handle is closed. False if nothing had
// come.
bool ReadReady(Handle& from, std::string& text) {
    DWORD available = 0;
    if (!from) {
        return false;
    }
    const bool open = ::PeekNamedPipe(from.get(), nullptr, 0, nullptr, &available, nullptr) != 0;
    if (open && available == 0) {
        return false;
    }
    char buffer[4096];
    DWORD n = 0;
    if (open && ::ReadFile(from.get(), buffer, std::min<DWORD>(available, sizeof buffer), &n,
                           nullptr) != 0) {
        text.append(buffer, n);
    } else {
        from.reset();
    }
    return true;
}

}  // namespace

struct Program::Process {
    Handle child;
    Handle toChild;
    Handle input;  // the read end of toChild's pipe, to see when the child has taken all
    Handle fromOutput;
    Handle fromErrors;
    std::optional<Clock::time_point> emptySince;
};

bool CanGive(Sink sink) {
    return sink == Sink::Pipe || sink == Sink::Closed || sink == Sink::Inherited;
}

Program::Program(const std::string& path, Sink output, Sink errors,
                 unsigned short /*terminalColumns: no terminal here*/)
    : process_(std::make_unique<Process>()) {
    Pipe in = MakePipe();
    const Handle childIn = Inheritable(in.read.get());
    Ends out = Open(output, STD_OUTPUT_HANDLE);
    Ends err = Open(errors, STD_ERROR_HANDLE);
    std::string commandLine = Quoted(CommandLine(path));

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn.get();
    startup.hStdOutput = out.child.get();
    startup.hStdError = err.child.get();
    PROCESS_INFORMATION started{};
    Check(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                           &startup, &started) != 0,
          "CreateProcess");
    ::CloseHandle(started.hThread);
    process_->child.reset(started.hProcess);
    process_->toChild = std::move(in.write);
    process_->input = std::move(in.read);
    process_->fromOutput = std::move(out.parent);
    process_->fromErrors = std::move(err.parent);
}

Program::~Program() {
    CloseInput();
    if (!Ended()) {
        ::TerminateProcess(process_->child.get(), 1);
        ::WaitForSingleObject(process_->child.get(), INFINITE);
    }
}

void Program::Write(std::string_view text) {
    process_->emptySince.reset();
    while (!text.empty() && process_->toChild) {
        DWORD n = 0;
        if (::WriteFile(process_->toChild.get(), text.data(), static_cast<DWORD>(text.size()), &n,
                        nullptr) == 0 ||
            n == 0) {
            return;  // the program has stopped reading; what it wrote tells the rest
        }
        text.remove_prefix(n);
    }
}

void Program::CloseInput() {
    process_->toChild.reset();
    process_->input.reset();
}

void Program::CloseOutput() { process_->fromOutput.reset(); }

bool Program::ReadSome(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const bool output = ReadReady(process_->fromOutput, output_);
        const bool errors = ReadReady(process_->fromErrors, errors_);
        if (output || errors || Clock::now() >= deadline) {
            return output || errors;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool Program::Ended() {
    DWORD code = 0;
    if (!status_ && ::WaitForSingleObject(process_->child.get(), 0) == WAIT_OBJECT_0 &&
        ::GetExitCodeProcess(process_->child.get(), &code) != 0) {
        status_ = static_cast<int>(code);
    }
    return status_.has_value();
}

bool Program::AtAnEmptyRead() {
    DWORD unread = 0;
    if (!process_->input ||
        ::PeekNamedPipe(process_->input.get(), nullptr, 0, nullptr, &unread, nullptr) == 0 ||
        unread > 0) {
        process_->emptySince.reset();
        return false;
    }
    const auto now = Clock::now();
    if (!process_->emptySince) {
        process_->emptySince = now;
    }
    return now - *process_->emptySince >= kSettle && !Ended();
}

#endif  // _WIN32
