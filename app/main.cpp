#ifdef _WIN32
#include <io.h>

#include <cstdio>
#else
#include <unistd.h>
#endif

#include <iostream>
#include <system_error>

#include "Dialogue.h"
#include "FirstWriteError.h"
#include "ProgressLine.h"

namespace {

// Progress is for a person watching; a pipe, a file or a log gets none.
bool StandardErrorIsATerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace

int main() {
    ProgressLine progress(std::cerr, ProgressLine::Clock::now);
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
