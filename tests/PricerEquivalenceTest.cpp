#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "MonteCarlo.h"
#include "NaturalPricer.h"
#include "PayOff.h"
#include "Random.h"
#include "kernels/Kernel.h"
#include "kernels/Processor.h"
#include "support/AllocationCounter.h"
#include "support/CaseNames.h"
#include "support/FreshRun.h"
#include "support/PayOffs.h"

namespace {

// Blocks hold 256 paths and kernels work out exponents in groups of up to eight: the counts
// straddle one and two blocks, and end groups after none, some or all of a group's paths.
constexpr std::uint32_t kPathCounts[] = {0, 1, 2, 3, 6, 10, 255, 256, 257, 511, 512, 513, 1000};

// kernel, call?, vol, expiry, paths
using Case = std::tuple<const PathKernel*, bool, double, double, std::uint32_t>;

class MatchesTheNaturalLoop : public testing::TestWithParam<Case> {};

std::array<std::uint64_t, 3> Bits(const PayOffSums& sums) {
    return {sums.paths, std::bit_cast<std::uint64_t>(sums.discount),
            std::bit_cast<std::uint64_t>(sums.reference)};
}

// Summing too, for a front end told the progress, which splits the first block in two.
TEST_P(MatchesTheNaturalLoop, BitForBitAndLeavesTheGeneratorInTheSameState) {
    const auto [kernel, isCall, vol, expiry, paths] = GetParam();
    const auto payOff = MakePayOff(isCall, 200);

    Generator naturalGenerator;
    PayOffSums naturalSums;
    const double natural =
        PriceByNaturalLoop(naturalGenerator, *payOff, expiry, 195, vol, 0.05, paths, naturalSums);
    for (const bool summing : {false, true}) {
        Generator generator;
        KeepsSums kept;
        const double production = PriceWithKernel(*kernel, generator, *payOff, expiry, 195, vol,
                                                  0.05, paths, summing ? &kept : nullptr);

        EXPECT_EQ(std::bit_cast<std::uint64_t>(production), std::bit_cast<std::uint64_t>(natural))
            << production << " against " << natural << (summing ? ", summing" : "");
        EXPECT_EQ(generator.state, naturalGenerator.state) << (summing ? "summing" : "");
        if (summing) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(kept.told.price),
                      std::bit_cast<std::uint64_t>(natural));
            EXPECT_EQ(Bits(kept.told.sums), Bits(naturalSums));
            // The kernels add a block's pay-offs in lanes, the natural loop in path order: the
            // same sums but for their rounding.
            const double error = StandardError(kept.told.sums);
            const double naturalError = StandardError(naturalSums);
            if (std::isnan(naturalError)) {
                EXPECT_TRUE(std::isnan(error)) << error;
            } else {
                EXPECT_NEAR(error, naturalError, 1e-9 * naturalError);
            }
        }
    }
}

std::string GridCaseName(const testing::TestParamInfo<Case>& info) {
    const auto [kernel, isCall, vol, expiry, paths] = info.param;
    return CaseName(isCall)
        .With("Vol", vol)
        .With("Expiry", expiry)
        .With("Paths", paths)
        .With("", kernel->name)
        .str();
}

// Every kernel this processor can run, each forced in turn.
const auto kEachKernel = testing::ValuesIn(RunnableKernels().begin(), RunnableKernels().end());

INSTANTIATE_TEST_SUITE_P(Grid, MatchesTheNaturalLoop,
                         testing::Combine(kEachKernel, testing::Bool(),
                                          testing::Values(0.0, -0.3, 0.3),
                                          testing::Values(0.0, -0.25, 0.25, 1.0),
                                          testing::ValuesIn(kPathCounts)),
                         GridCaseName);

// Enough blocks for every way a block can end to occur many times over.
INSTANTIATE_TEST_SUITE_P(Long, MatchesTheNaturalLoop,
                         testing::Combine(kEachKernel, testing::Bool(), testing::Values(0.3),
                                          testing::Values(0.25),
                                          testing::Values(std::uint32_t{1'000'000})),
                         GridCaseName);

TEST(MatchesTheNaturalLoop, WhenCallsWithoutAGeneratorFollowOneAnother) {
    // Each call continues the program's sequence where the last left it, as calls of rand would.
    Generator natural = ProgramGenerator();
    const double naturalDraw = DrawStandardNormal(natural);
    const double naturalFirst =
        PriceByNaturalLoop(natural, PayOffCall(200), 0.25, 195, 0.3, 0.05, 300);
    const double naturalSecond =
        PriceByNaturalLoop(natural, PayOffPut(200), 0.25, 195, 0.3, 0.05, 700);
    EXPECT_EQ(DrawStandardNormal(), naturalDraw);
    EXPECT_EQ(PriceByMonteCarlo(PayOffCall(200), 0.25, 195, 0.3, 0.05, 300), naturalFirst);
    EXPECT_EQ(PriceByMonteCarlo(PayOffPut(200), 0.25, 195, 0.3, 0.05, 700), naturalSecond);
    EXPECT_EQ(ProgramGenerator().state, natural.state);
}

// Every kernel gives the same bits, so only these see production take another than the fastest.
struct ProductionCase {
    std::vector<const PathKernel*> runnable;
    ProcessorVendor vendor;
    const PathKernel* production;
};

// Printed as the rule reads it, not as bytes, some of them padding.
void PrintTo(const ProductionCase& row, std::ostream* out) {
    *out << row.runnable.back()->name << " the widest, maker " << static_cast<int>(row.vendor);
}

class ProductionKernelOf : public testing::TestWithParam<ProductionCase> {};

TEST_P(ProductionKernelOf, IsTheWidestButAvx512OnlyOnAmdsProcessors) {
    const ProductionCase& row = GetParam();
    EXPECT_STREQ(ProductionKernel(row.runnable, row.vendor).name, row.production->name);
}

#ifdef PRICER_X86_KERNELS
const std::vector<const PathKernel*> kUpToAvx2 = {&kPortableKernel, &kTwoLaneKernel, &kAvx2Kernel};
const std::vector<const PathKernel*> kUpToAvx512 = {&kPortableKernel, &kTwoLaneKernel, &kAvx2Kernel,
                                                    &kAvx512Kernel};
INSTANTIATE_TEST_SUITE_P(
    Table, ProductionKernelOf,
    testing::Values(ProductionCase{kUpToAvx512, ProcessorVendor::kAmd, &kAvx512Kernel},
                    ProductionCase{kUpToAvx512, ProcessorVendor::kIntel, &kAvx2Kernel},
                    ProductionCase{kUpToAvx512, ProcessorVendor::kOther, &kAvx2Kernel},
                    ProductionCase{kUpToAvx2, ProcessorVendor::kAmd, &kAvx2Kernel},
                    ProductionCase{{&kPortableKernel, &kTwoLaneKernel},
                                   ProcessorVendor::kIntel,
                                   &kTwoLaneKernel},
                    ProductionCase{{&kPortableKernel}, ProcessorVendor::kAmd, &kPortableKernel}));
#else
INSTANTIATE_TEST_SUITE_P(Table, ProductionKernelOf,
                         testing::Values(ProductionCase{
                             {&kPortableKernel}, ProcessorVendor::kOther, &kPortableKernel}));
#endif

#if defined(PRICER_X86_KERNELS) && defined(__GNUC__)  // GCC's runtime, which clang-cl has not
TEST(PriceByMonteCarlo, TakesTheKernelThatTheProcessorsMakerAndFeaturesCallFor) {
    const bool amd = __builtin_cpu_is("amd") != 0;
    const PathKernel* const expected = amd && __builtin_cpu_supports("avx512f") ? &kAvx512Kernel
                                       : __builtin_cpu_supports("avx2")         ? &kAvx2Kernel
                                                                                : &kTwoLaneKernel;
    EXPECT_STREQ(ProductionKernel().name, expected->name);
}
#endif

#if defined(PRICER_X86_KERNELS) && defined(__GNUC__)
// GCC's runtime reads the same bits its own way, the operating system's saved registers included.
TEST(ThisProcessor, AgreesWithGccsRuntime) {
    const ProcessorFeatures& features = ThisProcessor();
    EXPECT_EQ(features.avx2, __builtin_cpu_supports("avx2") != 0);
    EXPECT_EQ(features.avx512f, __builtin_cpu_supports("avx512f") != 0);
    EXPECT_EQ(features.vendor == ProcessorVendor::kIntel, __builtin_cpu_is("intel") != 0);
    EXPECT_EQ(features.vendor == ProcessorVendor::kAmd, __builtin_cpu_is("amd") != 0);
    EXPECT_EQ(&features, &ThisProcessor());
}
#endif

TEST(PriceByMonteCarlo, AllocatesNothing) {
    const PayOffPut put(200);
    const std::size_t before = AllocationCount();
    const double price = PriceByMonteCarlo(put, 0.25, 195, 0.3, 0.05, 100'000);
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_GT(price, 0.0);
}

TEST(Uniforms, TheSeriesGivesTheQuotientForEveryValue) {
    for (int k = 0; k <= kRandomMax; ++k) {
        volatile const int atRunTime = k;  // keeps the compiler from folding either
        ASSERT_EQ(std::bit_cast<std::uint64_t>(polar::UniformBySeries(atRunTime)),
                  std::bit_cast<std::uint64_t>(polar::Uniform(atRunTime)))
            << "k = " << k;
    }
}

}  // namespace
