#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "PayOff.h"
#include "Random.h"

// The steps of a block of paths whose speed depends on the processor's vector width. Every kernel
// computes the same doubles as every other: only the instructions differ.
struct PathKernel {
    const char* name;
    // The next n (at least 1) accepted pairs (x, s) in attempt order, leaving the generator just
    // after the attempt that accepted the last. x and s need kDrawSlack slots past n.
    void (*drawAcceptedPairs)(RandomRun& random, std::size_t n, double* x, double* s);
    // Splits 0 to n - 1 by the range of log that s[i] falls in (below or from kLogSecondPathFrom),
    // each part in increasing order, and returns the size of the first. Both need kDrawSlack
    // slots past n.
    std::size_t (*splitForLog)(std::size_t n, const double* s, std::uint32_t* below,
                               std::uint32_t* from);
    // exponent[i] = rootVariance * x[i] * sqrt(-2 * logS[i] / s[i]), grouped as the pricer writes
    // it.
    void (*toExponents)(std::size_t n, const double* x, const double* s, const double* logS,
                        double rootVariance, double* exponent);
};

inline constexpr std::size_t kDrawSlack = 16;

// The C library's log takes a second, slower path for arguments from here up to just past 1. Which
// path a random radius takes is a coin that comes up rarely, so that branch mispredicts; calling
// log for one range and then the other makes it predictable.
inline constexpr double kLogSecondPathFrom = 1.0 - 0x1p-4;

// Wider kernels need the stand-in generator (a platform rand gives one value per call), and GCC's
// target attributes and vector extensions; on Windows GCC does not align the stack for AVX spills.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(_WIN32)
#define PRICER_X86_64_KERNELS 1
#endif

extern const PathKernel kPortableKernel;
#ifdef PRICER_X86_64_KERNELS
extern const PathKernel kAvx2Kernel;
extern const PathKernel kAvx512Kernel;
#endif

// The kernels this processor can run, the portable one first and the widest last.
[[nodiscard]] std::span<const PathKernel* const> RunnableKernels();

// The widest runnable kernel, picked once per process.
[[nodiscard]] const PathKernel& ChosenKernel();

// PriceByMonteCarlo with a given kernel, for tests and benchmarks that hold each to the same
// result.
[[nodiscard]] double PriceWithKernel(const PathKernel& kernel, const PayOff& payOff, double expiry,
                                     double spot, double vol, double r,
                                     std::uint32_t numberOfPaths);
