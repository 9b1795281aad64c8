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

// One step is s * a + c modulo 2^32 (unsigned arithmetic wraps), so two steps are
// s * a^2 + (a * c + c).
inline constexpr std::uint32_t kMultiplier = 214013u;
inline constexpr std::uint32_t kIncrement = 2531011u;
inline constexpr std::uint32_t kMultiplier2 = kMultiplier * kMultiplier;
inline constexpr std::uint32_t kIncrement2 = kMultiplier * kIncrement + kIncrement;

[[nodiscard]] constexpr int Output(std::uint32_t s) {
    return static_cast<int>((s >> 16) & 0x7FFFu);
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
            state_ = state_ * random_detail::kMultiplier + random_detail::kIncrement;
            return random_detail::Output(state_);
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
            const std::uint32_t first = state_ * kMultiplier + kIncrement;
            state_ = state_ * kMultiplier2 + kIncrement2;
            return {Output(first), Output(state_)};
        }
    }

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
