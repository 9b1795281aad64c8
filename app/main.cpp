#ifdef _WIN32
#include <io.h>

#include <cstdio>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <cstddef>
#include <iostream>
#include <system_error>

#include "Dialogue.h"
#include "FirstWriteError.h"
#include "ProgressLine.h"

#ifdef _WIN32
// The two calls this needs from the Windows API, with the layout and calling convention that
// <windows.h> gives them. Not that header: the syntax check that stands in for Visual Studio's
// compiler has only wine's, which clang-cl rejects.
extern "C" {
struct ConsoleCell {
    short x;
    short y;
};
struct ConsoleRectangle {
    short left;
    short top;
    short right;
    short bottom;
};
struct ConsoleScreenBufferInfo {
    ConsoleCell size;
    ConsoleCell cursor;
    unsigned short attributes;
    ConsoleRectangle window;
    ConsoleCell largestWindow;
};
__declspec(dllimport) void* __stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall GetConsoleScreenBufferInfo(void* console,
                                                               ConsoleScreenBufferInfo* info);
}
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
    constexpr unsigned long kStandardError = static_cast<unsigned long>(-12);  // STD_ERROR_HANDLE
    ConsoleScreenBufferInfo console{};
    if (GetConsoleScreenBufferInfo(GetStdHandle(kStandardError), &console) == 0) {
        return 0;
    }
    // The window, not the buffer behind it: text past the window's edge is there but not seen.
    return static_cast<std::size_t>(console.window.right - console.window.left + 1);
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
