#include "Loops.h"

#include "Floor.h"
#include "MonteCarlo.h"
#include "NaturalPricer.h"
#include "kernels/Kernel.h"

std::vector<const TimedLoop*> LoopSet::All() const {
    std::vector<const TimedLoop*> all = {&production};
    for (const TimedLoop& kernel : kernels) {
        all.push_back(&kernel);
    }
    all.insert(all.end(), {&natural, &floor});
    return all;
}

// The benchmarks' only calls into the pricer.
const LoopSet& TimedLoops() {
    static const LoopSet loops = [] {
        LoopSet set;
        set.production = {"production", [](std::uint32_t paths) {
                              return PriceByMonteCarlo(kTypicalCall, kExpiry, kSpot, kVol, kRate,
                                                       paths);
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
