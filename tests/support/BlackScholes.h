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

// E[pay-off(S_T)^k], undiscounted: a power of S_T - strike expanded, each E[S_T^j; in the money]
// being forward^j exp(j (j - 1) v / 2) N(d2 + j sqrt(v)) for a call, N of its negative for a put,
// with v the variance.
inline double PayOffMoment(const Option& o, int k) {
    const Terms t = TermsOf(o);
    const double sign = o.isCall ? 1.0 : -1.0;
    const double variance = t.rootVariance * t.rootVariance;
    double sum = 0.0;
    double binomial = 1.0;
    for (int j = 0; j <= k; ++j) {
        const double inTheMoney = std::pow(t.forward, j) * std::exp(j * (j - 1) * variance / 2) *
                                  NormalCdf(sign * (t.d2 + j * t.rootVariance));
        sum += binomial * std::pow(-o.strike, k - j) * inTheMoney;
        binomial = binomial * (k - j) / (j + 1);
    }
    return std::pow(sign, k) * sum;
}

// Standard deviation of exp(-r T) * pay-off(S_T).
inline double PayOffDeviation(const Option& o) {
    const double discount = TermsOf(o).discount;
    const double price = Price(o);
    return std::sqrt(discount * discount * PayOffMoment(o, 2) - price * price);
}

inline double StandardError(const Option& o, double numberOfPaths) {
    return PayOffDeviation(o) / std::sqrt(numberOfPaths);
}

// How far a standard error estimated from that many paths' pay-offs may fairly stray, as a
// standard deviation: the sample deviation's is sqrt((kurtosis - 1) / (4 n)) of it.
inline double StandardErrorsSpread(const Option& o, double numberOfPaths) {
    const double m1 = PayOffMoment(o, 1);
    const double m2 = PayOffMoment(o, 2);
    const double variance = m2 - m1 * m1;
    const double fourth =
        PayOffMoment(o, 4) - 4 * m1 * PayOffMoment(o, 3) + 6 * m1 * m1 * m2 - 3 * m1 * m1 * m1 * m1;
    const double kurtosis = fourth / (variance * variance);
    return StandardError(o, numberOfPaths) * std::sqrt((kurtosis - 1) / (4 * numberOfPaths));
}

}  // namespace black_scholes
