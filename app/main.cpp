#ifdef _WIN32
#include <io.h>

#include <cstdio>
#else
#include <unistd.h>
#endif

#include <iostream>

#include "Dialogue.h"
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
    RunDialogue(std::cin, std::cout, PriceByMonteCarlo,
                StandardErrorIsATerminal() ? &progress : nullptr);
    return 0;
}
