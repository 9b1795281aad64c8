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
#include "PayOff.h"
#include "PolarMethod.h"
#include "Random.h"
#include "kernels/Kernel.h"

namespace {

constexpr double kExpiry = 0.25;
constexpr double kSpot = 195;
constexpr double kVol = 0.30;
constexpr double kRate = 0.05;
const PayOffCall kTypicalCall(200);

// The floor and the passes run over paths drawn beforehand: more than a branch predictor can
// learn, few enough to stay in the L2 cache.
constexpr std::size_t kDrawnPaths = 1 << 14;
constexpr std::size_t kBlock = 256;

struct DrawnPaths {
    std::vector<double> x;  // accepted pairs
    std::vector<double> s;
    std::vector<double> logS;
    std::vector<double> exponent;  // exp of it is the path's terminal spot
};

const DrawnPaths& Drawn() {
    static const DrawnPaths paths = [] {
        DrawnPaths drawn;
        const double rootVariance = kVol * std::sqrt(kExpiry);
        const double logMovedSpot = std::log(kSpot) + (kRate - 0.5 * kVol * kVol) * kExpiry;
        ResetRandom();
        RandomRun random;
        while (drawn.s.size() < kDrawnPaths) {
            const double x = polar::Uniform(random.Next());
            const double s = polar::SquaredRadius(x, polar::Uniform(random.Next()));
            if (polar::Accepted(s)) {
                drawn.x.push_back(x);
                drawn.s.push_back(s);
                drawn.logS.push_back(std::log(s));
                drawn.exponent.push_back(logMovedSpot + rootVariance * polar::Normal(x, s));
            }
        }
        return drawn;
    }();
    return paths;
}

[[gnu::noinline]] double AddAll(double sum, const double* payOffs, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        sum = sum + payOffs[i];
    }
    return sum;
}

// What no schedule can avoid per path: one log of an accepted squared radius, one exp, one
// Evaluate through PayOff, and one add, kept out of the loops that call. Nothing else.
double FloorLoop(const PayOff& payOff, std::uint32_t numberOfPaths) {
    const DrawnPaths& paths = Drawn();
    std::array<double, kBlock> logS{};
    std::array<double, kBlock> payOffs{};
    double sum = 0.0;
    for (std::uint32_t done = 0; done < numberOfPaths; done += kBlock) {
        const std::size_t n = std::min<std::size_t>(kBlock, numberOfPaths - done);
        const std::size_t first = done % kDrawnPaths;
        for (std::size_t i = 0; i < n; ++i) {
            logS[i] = std::log(paths.s[first + i]);
        }
        benchmark::DoNotOptimize(logS.data());
        for (std::size_t i = 0; i < n; ++i) {
            payOffs[i] = payOff.Evaluate(std::exp(paths.exponent[first + i]));
        }
        sum = AddAll(sum, payOffs.data(), n);
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
    Drawn();
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(FloorLoop(kTypicalCall, Paths(state)));
    }
}

// Each of a kernel's passes alone, one block at a time.
enum class Pass { Draw, SplitForLog, Exponents };
constexpr std::array<const char*, 3> kPassNames = {"draw", "split for log", "exponents"};

void KernelPass(benchmark::State& state, const PathKernel* kernel, Pass pass) {
    const DrawnPaths& paths = Drawn();
    std::array<double, kBlock + kDrawSlack> x{};
    std::array<double, kBlock + kDrawSlack> s{};
    std::array<std::uint32_t, kBlock + kDrawSlack> below{};
    std::array<std::uint32_t, kBlock + kDrawSlack> from{};
    RandomRun random;
    std::size_t first = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        switch (pass) {
            case Pass::Draw:
                kernel->drawAcceptedPairs(random, kBlock, x.data(), s.data());
                break;
            case Pass::SplitForLog:
                benchmark::DoNotOptimize(
                    kernel->splitForLog(kBlock, &paths.s[first], below.data(), from.data()));
                break;
            case Pass::Exponents:
                kernel->toExponents(kBlock, &paths.x[first], &paths.s[first], &paths.logS[first],
                                    0.15, x.data());
                break;
        }
        benchmark::ClobberMemory();
        first = (first + kBlock) % kDrawnPaths;
    }
}

constexpr int kRepetitions = 30;

// This machine's neighbours come and go: each loop runs several times, interleaved with the others,
// and the fastest repetition stands for what the code costs.
void FastestOfSeveral(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kNanosecond)->MinTime(0.03);
    b->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
    b->ComputeStatistics(
        "min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

void PerPath(benchmark::internal::Benchmark* b) {
    b->RangeMultiplier(10)->Range(1000, 10'000'000)->Apply(FastestOfSeveral);
}

void PerBlock(benchmark::internal::Benchmark* b) { b->Arg(kBlock)->Apply(FastestOfSeveral); }

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
                const double nanosPerPath =
                    run.GetAdjustedRealTime() / static_cast<double>(paths);  // in nanoseconds
                const std::string& name = run.run_name.function_name;
                if (const auto slash = name.find('/'); slash != std::string::npos) {
                    passNanosPerPath_[name.substr(slash + 1)][name.substr(0, slash)] = nanosPerPath;
                } else {
                    nanosPerPath_[paths][name] = nanosPerPath;
                }
            }
        }
        std::fputc('.', stderr);  // a sign of life: the whole run takes a minute or two
    }

    void Finalize() override {
        std::fputc('\n', stderr);
        std::printf(
            "nanoseconds per path, fastest of %d interleaved repetitions; chosen kernel: %s\n",
            kRepetitions, RunnableKernels().back()->name);
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
        std::printf("\nnanoseconds per path of each kernel's passes, in blocks of %zu paths\n",
                    kBlock);
        std::printf("%13s", "pass");
        for (const PathKernel* kernel : RunnableKernels()) {
            std::printf(" %11s", kernel->name);
        }
        std::printf("\n");
        for (const char* pass : kPassNames) {
            std::printf("%13s", pass);
            for (const PathKernel* kernel : RunnableKernels()) {
                std::printf(" %11.2f", passNanosPerPath_[kernel->name][pass]);
            }
            std::printf("\n");
        }
    }

  private:
    std::vector<std::string> columns_;
    std::map<long, std::map<std::string, double>> nanosPerPath_;
    std::map<std::string, std::map<std::string, double>> passNanosPerPath_;  // kernel, pass
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
    for (const PathKernel* kernel : RunnableKernels()) {
        for (const Pass pass : {Pass::Draw, Pass::SplitForLog, Pass::Exponents}) {
            const std::string name =
                std::string(kPassNames[static_cast<std::size_t>(pass)]) + "/" + kernel->name;
            benchmark::RegisterBenchmark(name.c_str(), KernelPass, kernel, pass)->Apply(PerBlock);
        }
    }

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
