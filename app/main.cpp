#include <cstddef>
#include <iostream>
#include <system_error>

#include "Dialogue.h"
#include "FirstWriteError.h"
#include "ProgressLine.h"

// After the standard headers: wine's <windows.h>, which the check for Visual Studio's compiler
// builds against, defines `inline` as a macro, which those headers refuse once they see it.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>

#include <cstdio>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

// Progress and the price's standard error are for a person watching; a pipe, a file or a log gets
// neither.
bool StandardErrorIsATerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

// 0 where it cannot be read, as on a pseudo-terminal whose size no one has set.
std::size_t StandardErrorColumns() {
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO console{};
    if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &console) == 0) {
        return 0;
    }
    // The window, not the buffer behind it: text past the window's edge is there but not seen.
    return static_cast<std::size_t>(console.srWindow.Right - console.srWindow.Left + 1);
#else
    winsize size{};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
#endif
}

}  // namespace

int main() {
    ProgressLine progress(std::cerr, ProgressLine::Clock::now, StandardErrorColumns);
    FirstWriteError output(std::cout);

    RunDialogue(std::cin, std::cout, PriceByMonteCarlo,
                StandardErrorIsATerminal() ? &progress : nullptr);

    std::cout.flush();
    // A price that went nowhere is a failure that a script must be able to tell from a price. Bad
    // entries are not: they are priced as read.
    if (output.Error() != 0) {
        std::cerr << "price_option: cannot write to standard output: "
                  << std::generic_category().message(output.Error()) << '\n';
        return 1;
    }
    return 0;
}
