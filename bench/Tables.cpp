#include "Tables.h"

#include <cmath>
#include <cstdio>
#include <iomanip>
#include <set>
#include <sstream>

std::vector<std::string> Gaps(const LoopSet& loops, const Timings& timings) {
    std::vector<std::string> gaps;
    if (timings.empty()) {
        gaps.emplace_back("nothing was timed");
    }
    if (loops.kernels.empty()) {
        gaps.emplace_back("there is no kernel to time");
    }
    std::set<std::string> names;
    for (const TimedLoop* loop : loops.All()) {
        names.insert(loop->name);
    }
    for (const auto& [paths, row] : timings) {
        const std::string at = " at " + std::to_string(paths) + " paths";
        for (const TimedLoop* loop : loops.All()) {
            const auto found = row.find(loop->name);
            if (found == row.end()) {
                gaps.push_back(loop->name + at + ": not timed");
            } else if (!std::isfinite(found->second) || found->second <= 0) {
                std::ostringstream time;
                time << found->second;
                gaps.push_back(loop->name + at + ": " + time.str() + " ns per path");
            }
        }
        for (const auto& timed : row) {
            if (names.count(timed.first) == 0) {
                gaps.push_back(timed.first + at + ": timed, but no loop of the table");
            }
        }
    }
    return gaps;
}

std::string Tables(const LoopSet& loops, const Timings& timings) {
    const std::vector<const TimedLoop*> all = loops.All();
    std::ostringstream out;
    out << loops.processor << '\n'
        << "nanoseconds per path, fastest of " << kRepetitions
        << " interleaved repetitions; production runs " << loops.productionRuns << '\n';
    out << std::setw(9) << "paths";
    for (const TimedLoop* loop : all) {
        out << ' ' << std::setw(10) << loop->name;
    }
    const std::vector<const TimedLoop*> perFloor = loops.PerFloor();
    out << " | per floor:";
    for (const TimedLoop* loop : perFloor) {
        out << ' ' << std::setw(10) << loop->name;
    }
    out << " | natural/production\n" << std::fixed << std::setprecision(2);
    for (const auto& [paths, row] : timings) {
        const auto nanos = [&row = row](const TimedLoop& loop) { return row.at(loop.name); };
        out << std::setw(9) << paths;
        for (const TimedLoop* loop : all) {
            out << ' ' << std::setw(10) << nanos(*loop);
        }
        out << " | " << std::setw(10) << "";
        for (const TimedLoop* loop : perFloor) {
            out << ' ' << std::setw(10) << nanos(*loop) / nanos(loops.floor);
        }
        out << " | " << std::setw(18) << nanos(loops.natural) / nanos(loops.production) << '\n';
    }
    return out.str();
}

int Report(const LoopSet& loops, const Timings& timings) {
    const std::vector<std::string> gaps = Gaps(loops, timings);
    for (const std::string& gap : gaps) {
        std::fprintf(stderr, "no table: %s\n", gap.c_str());
    }
    if (!gaps.empty()) {
        return 1;
    }
    std::fputs(Tables(loops, timings).c_str(), stdout);
    return 0;
}
