#pragma once

// What the kernels share. A kernel does the passes of a block of paths whose speed depends on the
// processor's vector width; one file here per instruction set. Every kernel gives the same doubles
// and leaves the generator in the same state: only the instructions differ.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "PayOff.h"
#include "PolarMethod.h"
#include "Random.h"

struct PathKernel {
    const char* name;
    // Whether this processor has the instructions that the kernel is compiled for.
    bool (*runnable)();
    // The next n (at least 1) accepted pairs (x, s) in attempt order, leaving the generator just
    // after the attempt that accepted the last. x and s have kDrawSlack slots past n.
    void (*drawAcceptedPairs)(RandomRun& random, std::size_t n, double* x, double* s);
    // Splits 0 to n - 1 by the range of log that s[i] falls in (below or from kLogSecondPathFrom),
    // each part in increasing order, and returns the size of the first. s and both lists have
    // kDrawSlack slots past n, and s is defined there.
    std::size_t (*splitForLog)(std::size_t n, const double* s, std::uint32_t* below,
                               std::uint32_t* from);
    // exponent[i] = rootVariance * polar::NormalFromLog(x[i], s[i], logS[i]).
    void (*toExponents)(std::size_t n, const double* x, const double* s, const double* logS,
                        double rootVariance, double* exponent);
};

inline constexpr std::size_t kDrawSlack = 16;

// The C library's log takes a second, slower path for arguments from here up to just past 1. Which
// path a random radius takes is a coin that comes up rarely, so that branch mispredicts; calling
// log for one range and then the other makes it predictable.
inline constexpr double kLogSecondPathFrom = 1.0 - 0x1p-4;

// Those that the build leaves out are never referred to (simulation/CMakeLists.txt decides).
extern const PathKernel kPortableKernel;
extern const PathKernel kAvx2Kernel;
extern const PathKernel kAvx512Kernel;

// The kernels this processor can run, the portable one first and the widest last.
[[nodiscard]] std::span<const PathKernel* const> RunnableKernels();

// PriceByMonteCarlo with a given kernel, for tests and benchmarks that hold each to the same
// result.
[[nodiscard]] double PriceWithKernel(const PathKernel& kernel, const PayOff& payOff, double expiry,
                                     double spot, double vol, double r,
                                     std::uint32_t numberOfPaths);

namespace kernel_steps {

// An index walk: every index is written to both lists, and only the right one's count advances.
inline std::size_t SplitForLog(std::size_t n, const double* s, std::uint32_t* below,
                               std::uint32_t* from) {
    std::size_t belowCount = 0;
    std::size_t fromCount = 0;
    for (std::size_t i = 0; i < n; ++i) {
        below[belowCount] = static_cast<std::uint32_t>(i);
        from[fromCount] = static_cast<std::uint32_t>(i);
        const bool second = s[i] >= kLogSecondPathFrom;
        belowCount += second ? 0 : 1;
        fromCount += second ? 1 : 0;
    }
    return belowCount;
}

// Plain, so that each kernel's compiler vectorises it to that kernel's width.
inline void ToExponents(std::size_t n, const double* x, const double* s, const double* logS,
                        double rootVariance, double* exponent) {
    for (std::size_t i = 0; i < n; ++i) {
        exponent[i] = rootVariance * polar::NormalFromLog(x[i], s[i], logS[i]);
    }
}

#if defined(__GNUC__)  // GCC's vector extensions, which clang shares

// Attempts of the generator, one per lane of a vector: lane l holds the two states of attempt l,
// and each round every lane skips ahead over the values that all the lanes have used. Words is a
// vector of 32-bit integers, Reals a vector of as many doubles. Vectors go between
// functions by reference: by value, between code built for a kernel's instruction set and code
// built for the baseline, they would not arrive where the callee looks.
template <class Words, class RealVector>
class AttemptLanes {
  public:
    using Reals = RealVector;
    static constexpr std::size_t kLanes = sizeof(Reals) / sizeof(double);
    using Flags = decltype(Reals{} < 1.0);  // all ones in a lane where a comparison holds

    explicit AttemptLanes(std::uint32_t state)
        : first_(SkippedBy<1>(state)), second_(SkippedBy<2>(state)) {}

    void Candidates(Reals& x, Reals& s, Flags& accepted) const {
        x = polar::Uniform(AsReals(lcg::Output(first_)));
        s = polar::SquaredRadius(x, polar::Uniform(AsReals(lcg::Output(second_))));
        accepted = polar::Accepted(s);
    }

    void Advance() {
        first_ = lcg::Step(first_, kRound);
        second_ = lcg::Step(second_, kRound);
    }

    // The generator's state once the attempt in lane l is done.
    [[nodiscard]] std::uint32_t StateAfter(std::size_t l) const { return second_[l]; }

  private:
    static constexpr lcg::SkipAhead kRound = lcg::SkipAheadBy(2 * kLanes);

    // Lane l's state 2 * l + kSteps steps on, each lane from the given state, not from the last.
    template <unsigned kSteps>
    static Words SkippedBy(std::uint32_t state) {
        return [&]<unsigned... l>(std::integer_sequence<unsigned, l...>) {
            return Words{lcg::Step(state, lcg::SkipAheadBy(2 * l + kSteps))...};
        }(std::make_integer_sequence<unsigned, kLanes>{});
    }

    // Lane by lane, which the compilers turn into one conversion where a vector cast would take
    // GCC several. Outputs have 15 bits, so the signed conversion, which every width has, is exact.
    static Reals AsReals(const Words& outputs) {
        return [&]<std::size_t... l>(std::index_sequence<l...>) {
            return Reals{static_cast<double>(static_cast<std::int32_t>(outputs[l]))...};
        }(std::make_index_sequence<kLanes>{});
    }

    Words first_;
    Words second_;
};

// A kernel's draw: kPack stores the accepted lanes' x and s, in lane order, at the given places
// (whole vectors: hence kDrawSlack) and returns the mask of accepted lanes. Inlined even in a build
// that inlines nothing else, so that it runs with the kernel's instructions.
template <class Lanes, auto kPack>
[[gnu::always_inline]] inline void DrawAcceptedPairs(RandomRun& random, std::size_t n, double* x,
                                                     double* s) {
    Lanes lanes(random.LcgState());
    for (std::size_t count = 0;; lanes.Advance()) {
        typename Lanes::Reals candidateX;
        typename Lanes::Reals candidateS;
        typename Lanes::Flags accepted;
        lanes.Candidates(candidateX, candidateS, accepted);
        unsigned mask = kPack(candidateX, candidateS, accepted, x + count, s + count);
        const std::size_t kept = std::popcount(mask);
        if (count + kept >= n) {
            for (std::size_t k = n - count; k > 1; --k) {
                mask &= mask - 1;  // drops the lowest accepted lane, to find the n-th
            }
            random.SetLcgState(lanes.StateAfter(std::countr_zero(mask)));
            return;
        }
        count += kept;
    }
}

#endif

}  // namespace kernel_steps
