#pragma once

#include <cstdint>
#include <cstdlib>
#include <utility>

// The pricer's uniform integers, 0 to 32767 inclusive. Where the runtime's rand has exactly that
// range it is used; otherwise a stand-in gives the sequence of the most common runtime generator
// with that range. Like rand it is process-wide and starts from a fixed state that nothing in the
// program reseeds.
inline constexpr int kRandomMax = 32767;

namespace random_detail {

inline constexpr bool kUsePlatformRand = RAND_MAX == kRandomMax;
inline constexpr std::uint32_t kInitialState = 1;
inline std::uint32_t state = kInitialState;

// One step is s * a + c modulo 2^32 (unsigned arithmetic wraps).
inline constexpr std::uint32_t kMultiplier = 214013u;
inline constexpr std::uint32_t kIncrement = 2531011u;

// Several steps taken as one: s * multiplier + increment, again modulo 2^32.
struct Jump {
    std::uint32_t multiplier;
    std::uint32_t increment;
};

[[nodiscard]] constexpr Jump JumpOf(unsigned steps) {
    Jump jump{1u, 0u};
    for (unsigned i = 0; i < steps; ++i) {
        jump = {jump.multiplier * kMultiplier, jump.increment * kMultiplier + kIncrement};
    }
    return jump;
}

// Templates so that the vector kernels step and read many states with the same code.
template <class Word>
[[nodiscard]] constexpr Word Step(Word s, Jump jump) {
    return s * jump.multiplier + jump.increment;
}

inline constexpr Jump kOneStep = JumpOf(1);
inline constexpr Jump kTwoSteps = JumpOf(2);

template <class Word>
[[nodiscard]] constexpr Word Output(Word s) {
    return (s >> 16) & 0x7FFFu;
}

}  // namespace random_detail

// A stretch of draws that keeps the generator's state in a local and hands it back at the end, so a
// hot loop does not store to memory after every draw. Only one may be alive at a time.
class RandomRun {
  public:
    RandomRun() : state_(random_detail::state) {}
    RandomRun(const RandomRun&) = delete;
    RandomRun& operator=(const RandomRun&) = delete;
    ~RandomRun() { random_detail::state = state_; }

    [[nodiscard]] int Next() {
        if constexpr (random_detail::kUsePlatformRand) {
            return std::rand();
        } else {
            state_ = random_detail::Step(state_, random_detail::kOneStep);
            return static_cast<int>(random_detail::Output(state_));
        }
    }

    // The next two values, in order. Both come from the current state, so neither waits for the
    // other.
    [[nodiscard]] std::pair<int, int> NextPair() {
        if constexpr (random_detail::kUsePlatformRand) {
            const int first = std::rand();
            return {first, std::rand()};
        } else {
            using namespace random_detail;
            const std::uint32_t first = Step(state_, kOneStep);
            state_ = Step(state_, kTwoSteps);
            return {static_cast<int>(Output(first)), static_cast<int>(Output(state_))};
        }
    }

    // The stand-in's state itself, for kernels that step many attempts at once.
    [[nodiscard]] std::uint32_t StandInState() const { return state_; }
    void SetStandInState(std::uint32_t state) { state_ = state; }

  private:
    std::uint32_t state_;
};

[[nodiscard]] inline int NextRandom() { return RandomRun().Next(); }

// Back to the initial state, as srand(1) does; for tests and tools that want a fresh run's
// sequence.
inline void ResetRandom() {
    if constexpr (random_detail::kUsePlatformRand) {
        std::srand(1);
    } else {
        random_detail::state = random_detail::kInitialState;
    }
}
