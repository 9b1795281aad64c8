#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "MonteCarlo.h"
#include "NaturalPricer.h"
#include "PathKernel.h"
#include "PayOff.h"
#include "PolarMethod.h"
#include "Random.h"

namespace {

constexpr double kExpiry = 0.25;
constexpr double kSpot = 195;
constexpr double kVol = 0.30;
constexpr double kRate = 0.05;
const PayOffCall kTypicalCall(200);

// The floor runs over paths drawn beforehand: more than a branch predictor can learn, few enough
// to stay in the L2 cache.
constexpr std::size_t kFloorPaths = 1 << 14;
constexpr std::size_t kFloorBlock = 256;

struct FloorPaths {
    std::vector<double> s;         // accepted squared radii
    std::vector<double> exponent;  // exp of it is the path's terminal spot
};

FloorPaths DrawFloorPaths() {
    FloorPaths paths;
    const double rootVariance = kVol * std::sqrt(kExpiry);
    const double logMovedSpot = std::log(kSpot) + (kRate - 0.5 * kVol * kVol) * kExpiry;
    ResetRandom();
    RandomRun random;
    while (paths.s.size() < kFloorPaths) {
        const double x = polar::Uniform(random.Next());
        const double s = polar::SquaredRadius(x, polar::Uniform(random.Next()));
        if (polar::Accepted(s)) {
            paths.s.push_back(s);
            paths.exponent.push_back(logMovedSpot + rootVariance * polar::Normal(x, s));
        }
    }
    return paths;
}

[[gnu::noinline]] double AddAll(double sum, const std::array<double, kFloorBlock>& payOffs) {
    for (const double payOff : payOffs) {
        sum = sum + payOff;
    }
    return sum;
}

// What no schedule can avoid per path: one log of an accepted squared radius, one exp, one
// Evaluate through PayOff, and one add, kept out of the loops that call. Nothing else.
double FloorLoop(const FloorPaths& paths, const PayOff& payOff, std::uint32_t numberOfPaths) {
    std::array<double, kFloorBlock> logS{};
    std::array<double, kFloorBlock> payOffs{};
    double sum = 0.0;
    for (std::uint32_t done = 0; done < numberOfPaths; done += kFloorBlock) {
        const std::size_t first = done % kFloorPaths;
        for (std::size_t i = 0; i < kFloorBlock; ++i) {
            logS[i] = std::log(paths.s[first + i]);
        }
        benchmark::DoNotOptimize(logS.data());
        for (std::size_t i = 0; i < kFloorBlock; ++i) {
            payOffs[i] = payOff.Evaluate(std::exp(paths.exponent[first + i]));
        }
        sum = AddAll(sum, payOffs);
    }
    return sum;
}

std::uint32_t Paths(const benchmark::State& state) {
    return static_cast<std::uint32_t>(state.range(0));
}

void Production(benchmark::State& state) {
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(
            PriceByMonteCarlo(kTypicalCall, kExpiry, kSpot, kVol, kRate, Paths(state)));
    }
}

void Kernel(benchmark::State& state, const PathKernel* kernel) {
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(
            PriceWithKernel(*kernel, kTypicalCall, kExpiry, kSpot, kVol, kRate, Paths(state)));
    }
}

void Natural(benchmark::State& state) {
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(
            PriceByNaturalLoop(kTypicalCall, kExpiry, kSpot, kVol, kRate, Paths(state)));
    }
}

void Floor(benchmark::State& state) {
    static const FloorPaths paths = DrawFloorPaths();
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(FloorLoop(paths, kTypicalCall, Paths(state)));
    }
}

constexpr int kRepetitions = 9;

// This machine's neighbours come and go: each loop runs several times, interleaved with the others,
// and the fastest repetition stands for what the code costs.
void PerPath(benchmark::internal::Benchmark* b) {
    b->RangeMultiplier(10)->Range(1000, 10'000'000)->Unit(benchmark::kMillisecond)->MinTime(0.2);
    b->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
    b->ComputeStatistics(
        "min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

// Collects the fastest repetitions and prints one table of nanoseconds per path and ratios, all
// from this one run; the library's own per-run lines would only be noise here.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    explicit RatioReporter(std::vector<std::string> columns) : columns_(std::move(columns)) {}

    bool ReportContext(const Context&) override { return true; }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
                const long paths = std::stol(run.run_name.args);
                const double seconds = run.GetAdjustedRealTime() * 1e-3;  // in milliseconds
                nanosPerPath_[paths][run.run_name.function_name] =
                    seconds * 1e9 / static_cast<double>(paths);
            }
        }
        std::fputc('.', stderr);  // a sign of life: the whole run takes a minute or two
    }

    void Finalize() override {
        std::fputc('\n', stderr);
        std::printf(
            "nanoseconds per path, fastest of %d interleaved repetitions; chosen kernel: %s\n",
            kRepetitions, ChosenKernel().name);
        std::printf("%9s", "paths");
        for (const std::string& column : columns_) {
            std::printf(" %11s", column.c_str());
        }
        std::printf(" | %17s %17s %19s\n", "production/floor", "portable/floor",
                    "natural/production");
        for (auto& [paths, ns] : nanosPerPath_) {
            std::printf("%9ld", paths);
            for (const std::string& column : columns_) {
                std::printf(" %11.2f", ns[column]);
            }
            std::printf(" | %17.2f %17.2f %19.2f\n", ns["production"] / ns["floor"],
                        ns["portable"] / ns["floor"], ns["natural"] / ns["production"]);
        }
    }

  private:
    std::vector<std::string> columns_;
    std::map<long, std::map<std::string, double>> nanosPerPath_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> columns = {"production"};
    benchmark::RegisterBenchmark("production", Production)->Apply(PerPath);
    for (const PathKernel* kernel : RunnableKernels()) {
        columns.emplace_back(kernel->name);
        benchmark::RegisterBenchmark(kernel->name, Kernel, kernel)->Apply(PerPath);
    }
    columns.insert(columns.end(), {"natural", "floor"});
    benchmark::RegisterBenchmark("natural", Natural)->Apply(PerPath);
    benchmark::RegisterBenchmark("floor", Floor)->Apply(PerPath);

    // Interleaving spreads a noisy spell over all the loops instead of one.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter(columns);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
