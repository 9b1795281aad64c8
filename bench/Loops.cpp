#include "Loops.h"

#include "Floor.h"
#include "MonteCarlo.h"
#include "NaturalPricer.h"
#include "kernels/Kernel.h"

std::vector<const TimedLoop*> LoopSet::PerFloor() const {
    std::vector<const TimedLoop*> perFloor = {&production, &summed};
    for (const TimedLoop& kernel : kernels) {
        perFloor.push_back(&kernel);
    }
    return perFloor;
}

std::vector<const TimedLoop*> LoopSet::All() const {
    std::vector<const TimedLoop*> all = PerFloor();
    all.insert(all.end(), {&natural, &floor});
    return all;
}

namespace {

// Told as a terminal's front end is, showing nothing: what is timed is the pricer's part.
class Unwatched final : public PricingProgress {
  public:
    void PathsDone(std::uint32_t /*done*/, std::uint32_t /*total*/) override {}
    void Priced(double /*price*/, const PayOffSums& /*sums*/) override {}
};

}  // namespace

// The benchmarks' only calls into the pricer.
const LoopSet& TimedLoops() {
    static const LoopSet loops = [] {
        LoopSet set;
        set.production = {"production", [](std::uint32_t paths) {
                              return PriceByMonteCarlo(kTypicalCall, kExpiry, kSpot, kVol, kRate,
                                                       paths);
                          }};
        set.summed = {"summed", [](std::uint32_t paths) {
                          static Unwatched progress;
                          return PriceByMonteCarlo(kTypicalCall, kExpiry, kSpot, kVol, kRate, paths,
                                                   &progress);
                      }};
        for (const PathKernel* kernel : RunnableKernels()) {
            set.kernels.push_back(
                {kernel->name, [kernel, generator = Generator{}](std::uint32_t paths) mutable {
                     return PriceWithKernel(*kernel, generator, kTypicalCall, kExpiry, kSpot, kVol,
                                            kRate, paths);
                 }});
        }
        set.natural = {"natural", [generator = Generator{}](std::uint32_t paths) mutable {
                           return PriceByNaturalLoop(generator, kTypicalCall, kExpiry, kSpot, kVol,
                                                     kRate, paths);
                       }};
        set.floor = {"floor", [](std::uint32_t paths) { return FloorLoop(kTypicalCall, paths); }};
        set.productionRuns = ProductionKernel().name;
#ifdef PRICER_X86_KERNELS
        set.processor = ProcessorName();
#endif
        if (set.processor.empty()) {
            set.processor = "a processor that does not name itself to this build";
        }
        static_cast<void>(FloorLoop(kTypicalCall, 1));  // draws the floor's paths
        return set;
    }();
    return loops;
}
