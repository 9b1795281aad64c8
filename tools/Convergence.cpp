// Prints, for the typical call, the simulated price against the number of paths beside the
// closed-form value and its standard error: the data behind docs/convergence.svg. Each count starts
// from a fresh generator, as a new run of the program does.
#include <cstdint>
#include <cstdio>
#include <initializer_list>

#include "PayOff.h"
#include "support/BlackScholes.h"
#include "support/FreshRun.h"

int main() {
    const black_scholes::Option typical{true, 0.25, 200, 195, 0.30, 0.05};
    const PayOffCall call(typical.strike);
    const double exact = black_scholes::Price(typical);

    std::printf("# typical call: expiry 0.25, strike 200, spot 195, vol 0.30, r 0.05\n");
    std::printf("# %10s %12s %12s %14s %10s\n", "paths", "price", "closed_form", "standard_error",
                "errors_off");
    for (std::uint32_t decade = 10; decade <= 10'000'000; decade *= 10) {
        for (const std::uint32_t step : {1u, 2u, 5u}) {
            const std::uint32_t paths = decade * step;
            if (paths > 10'000'000) {
                break;
            }
            const double price =
                PriceOfAFreshRun(call, typical.expiry, typical.spot, typical.vol, typical.r, paths);
            const double standardError = black_scholes::StandardError(typical, paths);
            std::printf("%12u %12.6f %12.6f %14.6f %10.2f\n", paths, price, exact, standardError,
                        (price - exact) / standardError);
        }
    }
    return 0;
}
