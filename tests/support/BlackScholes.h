#pragma once

#include <cmath>

// Closed-form European prices under the same model as the simulation, and the standard deviation of
// one simulated discounted pay-off, for judging how far a Monte Carlo price may fairly stray.
namespace black_scholes {

struct Option {
    bool isCall;
    double expiry;
    double strike;
    double spot;
    double vol;
    double r;
};

inline double NormalCdf(double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); }

struct Terms {
    double forward;
    double discount;
    double rootVariance;
    double d1;
    double d2;
};

inline Terms TermsOf(const Option& o) {
    const double rootVariance = o.vol * std::sqrt(o.expiry);
    const double forward = o.spot * std::exp(o.r * o.expiry);
    const double d1 =
        (std::log(forward / o.strike) + 0.5 * rootVariance * rootVariance) / rootVariance;
    return {forward, std::exp(-o.r * o.expiry), rootVariance, d1, d1 - rootVariance};
}

inline double Price(const Option& o) {
    const Terms t = TermsOf(o);
    const double sign = o.isCall ? 1.0 : -1.0;
    return t.discount * sign *
           (t.forward * NormalCdf(sign * t.d1) - o.strike * NormalCdf(sign * t.d2));
}

// Standard deviation of exp(-r T) * pay-off(S_T), from E[pay-off^2] =
// E[S_T^2; in the money] - 2 K E[S_T; in the money] + K^2 P(in the money).
inline double PayOffDeviation(const Option& o) {
    const Terms t = TermsOf(o);
    const double sign = o.isCall ? 1.0 : -1.0;
    const double k = o.strike;
    const double secondMoment = t.forward * t.forward * std::exp(t.rootVariance * t.rootVariance) *
                                    NormalCdf(sign * (t.d1 + t.rootVariance)) -
                                2.0 * k * t.forward * NormalCdf(sign * t.d1) +
                                k * k * NormalCdf(sign * t.d2);
    const double price = Price(o);
    return std::sqrt(t.discount * t.discount * secondMoment - price * price);
}

inline double StandardError(const Option& o, double numberOfPaths) {
    return PayOffDeviation(o) / std::sqrt(numberOfPaths);
}

}  // namespace black_scholes
