#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "Loops.h"
#include "Tables.h"

namespace {

// The counters each run carries: its path count, and the seconds per path that the library works
// out from the paths of all its iterations and its time.
const std::string kPaths = "paths";
const std::string kSecondsPerPath = "per path";

// Keeps the fastest repetition of each loop and path count; the library's own lines would only be
// noise here.
class FastestRepetitions : public benchmark::BenchmarkReporter {
  public:
    bool ReportContext(const Context& /*context*/) override { return true; }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto paths = run.counters.find(kPaths);
            const auto perPath = run.counters.find(kSecondsPerPath);
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min" &&
                paths != run.counters.end() && perPath != run.counters.end()) {
                timings_[static_cast<std::uint32_t>(paths->second.value)]
                        [run.run_name.function_name] = perPath->second.value * 1e9;
            }
        }
        std::fputc('.', stderr);  // a sign of life: the whole run takes a minute or two
    }

    void Finalize() override { std::fputc('\n', stderr); }

    [[nodiscard]] const Timings& Fastest() const { return timings_; }

  private:
    Timings timings_;
};

void Time(benchmark::State& state, const TimedLoop* loop) {
    const auto paths = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(loop->price(paths));
    }
    state.counters[kPaths] = paths;
    state.counters[kSecondsPerPath] = benchmark::Counter(
        paths, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

int main(int argc, char** argv) {
    const LoopSet& loops = TimedLoops();
    for (const TimedLoop* loop : loops.All()) {
        auto* timed = benchmark::RegisterBenchmark(loop->name.c_str(), Time, loop);
        for (const std::uint32_t paths : kPathCounts) {
            timed->Arg(paths);
        }
        // Seconds of real time, in the counter's rate too, as docs/speed.md's figures are.
        timed->UseRealTime()->MinTime(0.03)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
        timed->ComputeStatistics("min", [](const std::vector<double>& v) {
            return *std::min_element(v.begin(), v.end());
        });
    }

    // Interleaving spreads a noisy spell over all the loops instead of one.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    FastestRepetitions reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return Report(loops, reporter.Fastest());
}
