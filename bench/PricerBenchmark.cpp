#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Floor.h"
#include "MonteCarlo.h"
#include "NaturalPricer.h"
#include "PayOff.h"
#include "kernels/Kernel.h"

namespace {

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
    Generator generator;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(PriceWithKernel(*kernel, generator, kTypicalCall, kExpiry, kSpot,
                                                 kVol, kRate, Paths(state)));
    }
}

void Natural(benchmark::State& state) {
    Generator generator;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(
            PriceByNaturalLoop(generator, kTypicalCall, kExpiry, kSpot, kVol, kRate, Paths(state)));
    }
}

void Floor(benchmark::State& state) {
    benchmark::DoNotOptimize(FloorLoop(kTypicalCall, 1));  // draws the paths before the timing
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(FloorLoop(kTypicalCall, Paths(state)));
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

// Collects the fastest repetitions and prints tables of nanoseconds per path and ratios, all from
// this one run; the library's own per-run lines would only be noise here.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    explicit RatioReporter(std::vector<std::string> loops) : loops_(std::move(loops)) {}

    bool ReportContext(const Context&) override { return true; }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
                const long paths = std::stol(run.run_name.args);
                nanosPerPath_[paths][run.run_name.function_name] =
                    run.GetAdjustedRealTime() / static_cast<double>(paths);  // in nanoseconds
            }
        }
        std::fputc('.', stderr);  // a sign of life: the whole run takes a minute or two
    }

    void Finalize() override {
        std::fputc('\n', stderr);
        std::printf(
            "nanoseconds per path, fastest of %d interleaved repetitions; production runs %s\n",
            kRepetitions, RunnableKernels().back()->name);
        std::printf("%9s", "paths");
        for (const std::string& loop : loops_) {
            std::printf(" %10s", loop.c_str());
        }
        std::printf(" | per floor:");
        for (const PathKernel* kernel : RunnableKernels()) {
            std::printf(" %9s", kernel->name);
        }
        std::printf(" | natural/production\n");
        for (auto& [paths, ns] : nanosPerPath_) {
            std::printf("%9ld", paths);
            for (const std::string& loop : loops_) {
                std::printf(" %10.2f", ns[loop]);
            }
            std::printf(" | %10s", "");
            for (const PathKernel* kernel : RunnableKernels()) {
                std::printf(" %9.2f", ns[kernel->name] / ns["floor"]);
            }
            std::printf(" | %18.2f\n", ns["natural"] / ns["production"]);
        }
    }

  private:
    std::vector<std::string> loops_;
    std::map<long, std::map<std::string, double>> nanosPerPath_;  // paths, loop
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> loops = {"production"};
    benchmark::RegisterBenchmark("production", Production)->Apply(PerPath);
    for (const PathKernel* kernel : RunnableKernels()) {
        loops.emplace_back(kernel->name);
        benchmark::RegisterBenchmark(kernel->name, Kernel, kernel)->Apply(PerPath);
    }
    loops.insert(loops.end(), {"natural", "floor"});
    benchmark::RegisterBenchmark("natural", Natural)->Apply(PerPath);
    benchmark::RegisterBenchmark("floor", Floor)->Apply(PerPath);

    // Interleaving spreads a noisy spell over all the loops instead of one.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter(loops);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
