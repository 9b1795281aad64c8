// A draw's arithmetic, scalar or vector: Random.h includes it at file scope, and each vector kernel
// in its own namespace and region (kernels/Lanes-inl.h). Hence no include guard and no includes.

namespace lcg {

// Skip-ahead: any number of steps taken as one, state * multiplier + increment modulo 2^32.
struct SkipAhead {
    std::uint32_t multiplier;
    std::uint32_t increment;
};

[[nodiscard]] constexpr SkipAhead SkipAheadBy(unsigned steps) {
    SkipAhead skip{1u, 0u};
    for (unsigned i = 0; i < steps; ++i) {
        skip = {skip.multiplier * 214013u, skip.increment * 214013u + 2531011u};
    }
    return skip;
}

template <unsigned kSteps>
inline constexpr SkipAhead kSkip = SkipAheadBy(kSteps);

// Templates, so that the vector kernels step and read a state per lane with the same code.
template <class Word>
[[nodiscard]] constexpr Word Step(Word s, SkipAhead skip) {
    return s * skip.multiplier + skip.increment;
}

// Bits 16 to 30 of the state; shifted out at both ends, so that vectors need no mask loaded.
template <class Word>
[[nodiscard]] constexpr Word Output(Word s) {
    return (s << 1) >> 17;
}

}  // namespace lcg

namespace polar {

// Never exactly 0, so neither is a squared radius.
template <class Number>
constexpr auto Uniform(Number k) {
    return 2.0 * k / kRandomMax - 1.0;
}

// Uniform without a division, which is slow at one or two lanes. 2 * k / 32767 is
// k * 2^-14 * (1 + 2^-15 + 2^-30 + ...), whose first five terms, as two products exact for a
// 15-bit k, add up to the correctly rounded quotient. A test checks every k.
template <class Number>
constexpr auto UniformBySeries(Number k) {
    return k * 0x1.00020004p-14 + k * 0x1.0002p-59 - 1.0;
}

template <class Real>
constexpr Real SquaredRadius(Real x, Real y) {
    return x * x + y * y;
}

template <class Real>
constexpr auto Accepted(Real s) {
    return s < 1.0;
}

// With the logarithm taken apart, so that a block can call log for all its paths first; for vectors
// with their own square root.
template <class Real>
inline Real NormalFromLog(Real x, Real s, Real logS, auto squareRoot) {
    return x * squareRoot(-2.0 * logS / s);
}

inline double NormalFromLog(double x, double s, double logS) {
    return NormalFromLog(x, s, logS, [](double v) { return std::sqrt(v); });
}

inline double Normal(double x, double s) { return NormalFromLog(x, s, std::log(s)); }

}  // namespace polar
