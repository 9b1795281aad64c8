#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "MonteCarlo.h"
#include "NaturalPricer.h"
#include "PayOff.h"
#include "PolarMethod.h"
#include "Random.h"

namespace {

constexpr double kAcceptanceRate = 0.7853981633974483;  // pi / 4

// Only the work per path that no schedule can avoid: on average 4/pi attempts of two generator
// values and two divisions, then one log, one division, one sqrt, one exp and one add. No branch
// depends on a draw and there is no call but the maths library's, so nothing waits but the
// arithmetic itself.
double FloorLoop(std::uint32_t numberOfPaths) {
    RandomRun random;
    const auto uniform = [&random] { return polar::Uniform(random.Next()); };
    double sum = 0.0;
    for (std::uint32_t i = 0; i < numberOfPaths; ++i) {
        const double x = uniform();
        const double y = uniform();
        const double s = 0.5 * (x * x + y * y);  // inside the circle, as an accepted pair's is
        sum = sum + std::exp(0.3 * x * std::sqrt(-2.0 * std::log(s) / s));
    }
    const auto extraAttempts =
        static_cast<std::uint32_t>(numberOfPaths * (1.0 / kAcceptanceRate - 1.0));
    double rejected = 0.0;
    for (std::uint32_t i = 0; i < extraAttempts; ++i) {
        const double x = uniform();
        const double y = uniform();
        rejected = rejected + (x * x + y * y);
    }
    return sum + rejected;
}

// The call's pay-off written as a plain comparison, which g++ compiles to a conditional branch for
// baseline x86-64 (from SSE4.1 on it may use a blend instead). Shows what an unpredictable branch
// in a pay-off costs each loop.
class BranchingCall final : public PayOff {
  public:
    explicit BranchingCall(double strike) : strike_(strike) {}
    [[nodiscard]] double Evaluate(double spot) const override;

  private:
    const double strike_;
};

[[gnu::noinline]] double BranchingCall::Evaluate(double spot) const {
    const double difference = spot - strike_;
    return difference > 0.0 ? difference : 0.0;
}

const PayOffCall kTypicalCall(200);
const BranchingCall kBranchingCall(200);

void Production(benchmark::State& state, const PayOff& payOff) {
    const auto paths = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(PriceByMonteCarlo(payOff, 0.25, 195, 0.30, 0.05, paths));
    }
}

void Natural(benchmark::State& state, const PayOff& payOff) {
    const auto paths = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(PriceByNaturalLoop(payOff, 0.25, 195, 0.30, 0.05, paths));
    }
}

void Floor(benchmark::State& state) {
    const auto paths = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(FloorLoop(paths));
    }
}

// This machine's neighbours come and go: each loop runs several times, interleaved with the others,
// and the fastest repetition stands for what the code costs.
void PerPath(benchmark::internal::Benchmark* b) {
    b->RangeMultiplier(10)->Range(1000, 10'000'000)->Unit(benchmark::kMillisecond);
    b->Repetitions(5)->ReportAggregatesOnly(true)->ComputeStatistics(
        "min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

BENCHMARK_CAPTURE(Production, , kTypicalCall)->Name("Production")->Apply(PerPath);
BENCHMARK_CAPTURE(Natural, , kTypicalCall)->Name("Natural")->Apply(PerPath);
BENCHMARK(Floor)->Apply(PerPath);
BENCHMARK_CAPTURE(Production, , kBranchingCall)->Name("ProductionBranching")->Apply(PerPath);
BENCHMARK_CAPTURE(Natural, , kBranchingCall)->Name("NaturalBranching")->Apply(PerPath);

// Prints the usual table, then nanoseconds per path and the ratios, all from this one run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
                const long paths = std::stol(run.run_name.args);
                const double seconds = run.GetAdjustedRealTime() * 1e-3;  // in milliseconds
                nanosPerPath_[paths][run.run_name.function_name] =
                    seconds * 1e9 / static_cast<double>(paths);
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nnanoseconds per path (fastest of 5) and ratios\n");
        std::printf("%9s %11s %8s %8s %17s %19s | %11s %8s %19s\n", "paths", "production", "floor",
                    "natural", "production/floor", "natural/production", "production", "natural",
                    "natural/production");
        std::printf("%9s %48s %19s | %40s\n", "", "pay-off without a branch:", "",
                    "pay-off with a branch:");
        for (auto& [paths, ns] : nanosPerPath_) {
            std::printf("%9ld %11.2f %8.2f %8.2f %17.2f %19.2f | %11.2f %8.2f %19.2f\n", paths,
                        ns["Production"], ns["Floor"], ns["Natural"],
                        ns["Production"] / ns["Floor"], ns["Natural"] / ns["Production"],
                        ns["ProductionBranching"], ns["NaturalBranching"],
                        ns["NaturalBranching"] / ns["ProductionBranching"]);
        }
    }

  private:
    std::map<long, std::map<std::string, double>> nanosPerPath_;
};

}  // namespace

int main(int argc, char** argv) {
    // Interleaving spreads a noisy spell over all the loops instead of one.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
