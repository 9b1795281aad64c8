// What all kernels share, included by Kernel.h for the baseline's and by each other kernel again in
// its own namespace and region (Lanes-inl.h): no include guard, and no includes of its own.

// The C library's log takes a slower branch from here to just past 1, which random radii take too
// rarely to predict; calling log for one branch's paths and then the other's makes it predictable.
// glibc's from 1 - 2^-4; mingw-w64's, an x87 one, from 0.29 below 1, where it changes instruction.
#ifdef __MINGW32__
inline constexpr double kLogSlowFrom = 1.0 - 0.29;
#else
inline constexpr double kLogSlowFrom = 1.0 - 0x1p-4;
#endif

// A block's pay-offs added to the sums in the lanes of two Vectors (doubles for one lane each),
// each lane on its own: in path order each add would wait for the last.
template <class Vector>
inline constexpr std::size_t kLanesOf = sizeof(Vector) / sizeof(double);
template <>
inline constexpr std::size_t kLanesOf<double> = 1;

template <class Vector>
inline void AddToSums(PayOffSums& sums, const double* payOffs, std::size_t n) {
    constexpr std::size_t kLanes = kLanesOf<Vector>;
    const Vector reference = Vector{} + sums.reference;
    std::array<Vector, 2> shifted{};
    std::array<Vector, 2> squares{};
    const std::size_t whole = n - n % (2 * kLanes);
    for (std::size_t i = 0; i < whole; i += 2 * kLanes) {
        for (std::size_t half = 0; half < 2; ++half) {
            Vector values;
            std::memcpy(&values, payOffs + i + half * kLanes, sizeof values);
            const Vector shift = values - reference;
            shifted[half] = shifted[half] + shift;
            squares[half] = squares[half] + shift * shift;
        }
    }
    const auto total = [](const std::array<Vector, 2>& halves) {
        const Vector lanes = halves[0] + halves[1];
        if constexpr (kLanes == 1) {
            return lanes;
        } else {
            double sum = 0.0;
            for (std::size_t lane = 0; lane < kLanes; ++lane) {
                sum = sum + lanes[lane];
            }
            return sum;
        }
    };
    double shiftedTotal = total(shifted);
    double squaresTotal = total(squares);
    for (std::size_t i = whole; i < n; ++i) {
        const double shift = payOffs[i] - sums.reference;
        shiftedTotal = shiftedTotal + shift;
        squaresTotal = squaresTotal + shift * shift;
    }
    sums.shifted = sums.shifted + shiftedTotal;
    sums.shiftedSquares = sums.shiftedSquares + squaresTotal;
}

// Where a draw that goes a round at a time stands: its next round's first state, the pairs drawn of
// the n wanted and where they go, and, once it is done, the state after the attempt that accepted
// the last. Each such draw is one of these with a Round() of its own.
struct RoundByRound {
    RoundByRound(std::uint32_t start, std::size_t wanted, double* x, double* s)
        : state(start), end(start), n(wanted), xOut(x), sOut(s) {}

    [[nodiscard]] bool Done() const { return count == n; }
    [[nodiscard]] std::uint32_t End() const { return end; }

    std::uint32_t state;
    std::uint32_t end;
    std::size_t count = 0;
    std::size_t n;
    double* xOut;
    double* sOut;
};

// Draw goes a round of attempts at a time: Draw(state, n, x, s) starts drawing n pairs from a
// generator's state, Round() makes the next round if they are not Done(), and End() is the state
// after the attempt that accepted the last. Where Draw::kAhead, it draws the next block's pairs
// between the pay-offs, in the shadow of exp, and the rest after the last group: a pass that
// nothing overlapped otherwise. A draw of whole blocks has Draw::All(generator, n, x, s) instead.
template <class Draw>
inline void DrawAll(Generator& generator, std::size_t n, double* x, double* s) {
    if constexpr (requires { Draw::All; }) {
        Draw::All(generator, n, x, s);
    } else {
        Draw draw(generator.state, n, x, s);
        while (!draw.Done()) {
            draw.Round();
        }
        generator.state = draw.End();
    }
}

// Drawing ahead, a round before every fourth path's pay-off: a round of four attempts accepts about
// 3.1 pairs, so that most of the next block is drawn in the loop, and rounds closer together cost
// as much as they hide.
inline constexpr std::size_t kPathsPerRound = 4;

template <std::size_t kGroup, class Draw, auto kSplit, auto kGroupExponents, class SumLanes>
inline double AddPayOffs(Generator& generator, std::size_t n, std::size_t nextN,
                         const Pricing& pricing, Block& block, double runningSum,
                         PayOffSums* sums) {
    // In locals: read through the reference they might alias the block, and be read again.
    const double rootVariance = pricing.rootVariance;
    const double movedSpot = pricing.movedSpot;
    const PayOff& payOff = pricing.payOff;
    Pairs& pairs = block.pairs[block.current];
    if (!block.drawn) {
        DrawAll<Draw>(generator, n, pairs.x.data(), pairs.s.data());
    }
    const std::size_t fast =
        kSplit(n, pairs.s.data(), block.fastLogPaths.data(), block.slowLogPaths.data());
    const auto logs = [&](const std::uint32_t* paths, std::size_t count) {
        for (std::size_t j = 0; j < count; ++j) {
            block.logS[paths[j]] = std::log(pairs.s[paths[j]]);
        }
    };
    logs(block.fastLogPaths.data(), fast);
    logs(block.slowLogPaths.data(), n - fast);

    const std::size_t whole = n - n % kGroup;  // the paths of whole groups
    const auto exponents = [&](std::size_t first) {
        if (first < whole) {
            kGroupExponents(&pairs.x[first], &pairs.s[first], &block.logS[first],
                            &block.exponent[first], rootVariance);
            return;
        }
        for (std::size_t i = first; i < n; ++i) {
            block.exponent[i] =
                rootVariance * polar::NormalFromLog(pairs.x[i], pairs.s[i], block.logS[i]);
        }
    };
    Pairs& nextPairs = block.pairs[block.current ^ 1];
    [[maybe_unused]] auto ahead = [&] {
        if constexpr (Draw::kAhead) {
            return Draw(generator.state, nextN, nextPairs.x.data(), nextPairs.s.data());
        } else {
            return nullptr;
        }
    }();
    // Each pay-off kept too where they are summed, after the loop; chosen once a block.
    const auto addPayOffs = [&](auto keep) {
        const auto addPayOff = [&](std::size_t i) {
            const double value = payOff.Evaluate(movedSpot * std::exp(block.exponent[i]));
            runningSum = runningSum + value;
            if constexpr (decltype(keep)::value) {
                block.payOff[i] = value;
            }
        };
        // Written out, so that nothing but the calls comes between one path and the next.
        const auto addGroup = [&]<std::size_t... k>(std::size_t first, std::index_sequence<k...>) {
            const auto addOne = [&](std::size_t j) {
                if constexpr (Draw::kAhead) {
                    if (j % kPathsPerRound == 0) {
                        ahead.Round();
                    }
                }
                addPayOff(first + j);
            };
            (addOne(k), ...);
        };
        exponents(0);
        for (std::size_t first = 0; first < whole; first += kGroup) {
            exponents(first + kGroup);
            addGroup(first, std::make_index_sequence<kGroup>{});
        }
        for (std::size_t i = whole; i < n; ++i) {
            addPayOff(i);
        }
    };
    if (sums == nullptr) {
        addPayOffs(std::false_type{});
    } else {
        addPayOffs(std::true_type{});
        AddToSums<SumLanes>(*sums, block.payOff.data(), n);
    }
    if constexpr (Draw::kAhead) {
        while (!ahead.Done()) {
            ahead.Round();
        }
        generator.state = ahead.End();
        block.current ^= 1;
        block.drawn = true;
    }
    return runningSum;
}

// The exponents of a whole group, one path after another, in plain C++.
template <std::size_t kGroup>
inline void PathByPathExponents(const double* __restrict x, const double* __restrict s,
                                const double* __restrict logS, double* __restrict exponent,
                                double rootVariance) {
    for (std::size_t k = 0; k < kGroup; ++k) {
        exponent[k] = rootVariance * polar::NormalFromLog(x[k], s[k], logS[k]);
    }
}

// The exponents of a whole group, a Vector of paths at a time, with the instruction set's own
// square roots.
template <std::size_t kGroup, class Vector, Vector (*kSquareRoots)(Vector)>
inline void VectorExponents(const double* x, const double* s, const double* logS, double* exponent,
                            double rootVariance) {
    for (std::size_t first = 0; first < kGroup; first += kLanesOf<Vector>) {
        Vector xs;
        Vector radii;
        Vector logs;
        std::memcpy(&xs, x + first, sizeof xs);
        std::memcpy(&radii, s + first, sizeof radii);
        std::memcpy(&logs, logS + first, sizeof logs);
        const Vector exponents = rootVariance * polar::NormalFromLog(xs, radii, logs, kSquareRoots);
        std::memcpy(exponent + first, &exponents, sizeof exponents);
    }
}

// A draw of whole blocks, each as it comes.
template <auto kDraw>
struct DrawInPlace {
    static constexpr bool kAhead = false;
    static void All(Generator& generator, std::size_t n, double* x, double* s) {
        kDraw(generator, n, x, s);
    }
};

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
// lists, and only the right one advances: the slow count is the rest of the paths so far.
inline std::size_t SplitByIndexWalk(std::size_t n, const double* s, std::uint32_t* fast,
                                    std::uint32_t* slow) {
    std::size_t fastCount = 0;  // and the slow ones before path i, i - fastCount
    for (std::size_t i = 0; i < n; ++i) {
        fast[fastCount] = static_cast<std::uint32_t>(i);
        slow[i - fastCount] = static_cast<std::uint32_t>(i);
        fastCount += s[i] < kLogSlowFrom ? 1 : 0;
    }
    return fastCount;
}

// Their exponents go four paths a group, two vectors' worth: with one, each group's bookkeeping and
// the wait on the divider cost a tenth of the kernel's time.
inline constexpr std::size_t kWalkingGroup = 4;
