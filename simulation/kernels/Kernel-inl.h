// What all kernels share, included by Kernel.h for the baseline's and by each other kernel again in
// its own namespace and region (Lanes-inl.h): no include guard, and no includes of its own.

// The C library's log takes a slower branch from here to just past 1, which random radii take too
// rarely to predict; calling log for one branch's paths and then the other's makes it predictable.
inline constexpr double kLogSlowFrom = 1.0 - 0x1p-4;

// Adds nothing, for a pricing that keeps no sums.
struct NoSums {
    void Add(double /*payOff*/) const {}
};

// A block in passes: kDraw(generator, n, x, s) draws the accepted pairs; kSplit(n, s, fast, slow)
// lists the paths whose radius is below kLogSlowFrom and those from it, each in order, and returns
// how many are below. Each path gets exactly the operations of drawing it alone. The next kGroup
// paths' exponents, a vector or two, are worked out before these paths' pay-offs, so that the
// divider works under exp.
template <std::size_t kGroup, auto kDraw, auto kSplit>
inline double AddPayOffs(Generator& generator, std::size_t n, const Pricing& pricing, Block& block,
                         double runningSum, PayOffSums* sums) {
    const double rootVariance = pricing.rootVariance;  // else reloaded: it might alias the block
    kDraw(generator, n, block.x.data(), block.s.data());
    const std::size_t fast =
        kSplit(n, block.s.data(), block.fastLogPaths.data(), block.slowLogPaths.data());
    const auto logs = [&](const std::uint32_t* paths, std::size_t count) {
        for (std::size_t j = 0; j < count; ++j) {
            block.logS[paths[j]] = std::log(block.s[paths[j]]);
        }
    };
    logs(block.fastLogPaths.data(), fast);
    logs(block.slowLogPaths.data(), n - fast);
    // By value: std::min's reference would be read again after every call.
    const auto end = [n](std::size_t first) { return std::min(first + kGroup, n); };
    const auto exponents = [&](std::size_t first) {
        for (std::size_t i = first; i < end(first); ++i) {
            block.exponent[i] =
                rootVariance * polar::NormalFromLog(block.x[i], block.s[i], block.logS[i]);
        }
    };
    exponents(0);
    // Sums or none chosen once a block, not tested a path; a copy, so that Evaluate's calls cannot
    // touch them and they stay in registers.
    const auto addEach = [&](auto summed) {
        for (std::size_t first = 0; first < n; first += kGroup) {
            exponents(first + kGroup);
            for (std::size_t i = first, last = end(first); i < last; ++i) {
                const double payOff =
                    pricing.payOff.Evaluate(pricing.movedSpot * std::exp(block.exponent[i]));
                runningSum = runningSum + payOff;
                summed.Add(payOff);
            }
        }
        return summed;
    };
    if (sums == nullptr) {
        addEach(NoSums{});
    } else {
        *sums = addEach(*sums);
    }
    return runningSum;
}

// The kernels that split by the index walk, portable and two-lane, take four attempts a round.
inline constexpr std::size_t kAttemptsPerRound = 4;

// The states of a round of attempts, each skipped ahead from the round's first state: stepping one
// after another, each multiply would wait for the last.
inline std::array<std::uint32_t, 2 * kAttemptsPerRound> RoundStates(std::uint32_t state) {
    const auto states = [&]<unsigned... j>(std::integer_sequence<unsigned, j...>) {
        return std::array{lcg::Step(state, lcg::kSkip<j + 1>)...};
    };
    return states(std::make_integer_sequence<unsigned, 2 * kAttemptsPerRound>{});
}

// An index walk, for kernels without a vector compare to split by: every index is written to both
// lists, and only the right one's count advances.
inline std::size_t SplitByIndexWalk(std::size_t n, const double* s, std::uint32_t* fast,
                                    std::uint32_t* slow) {
    std::size_t fastCount = 0;
    std::size_t slowCount = 0;
    for (std::size_t i = 0; i < n; ++i) {
        fast[fastCount] = static_cast<std::uint32_t>(i);
        slow[slowCount] = static_cast<std::uint32_t>(i);
        const bool isSlow = s[i] >= kLogSlowFrom;
        fastCount += isSlow ? 0 : 1;
        slowCount += isSlow ? 1 : 0;
    }
    return fastCount;
}

// Their exponents go four paths a group, two vectors' worth: with one, each group's bookkeeping and
// the wait on the divider cost a tenth of the kernel's time.
template <auto kDraw>
inline constexpr auto kWalkingAddPayOffs = &AddPayOffs<4, kDraw, SplitByIndexWalk>;
