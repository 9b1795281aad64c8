// The one place that picks a kernel by the processor's features.

#include <array>
#include <cstddef>
#include <span>

#include "PathKernel.h"

namespace {

struct Runnable {
    std::array<const PathKernel*, 3> kernels{};
    std::size_t count = 0;
};

Runnable FindRunnable() {
    Runnable runnable;
    runnable.kernels[runnable.count++] = &kPortableKernel;
#ifdef PRICER_X86_64_KERNELS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) {
        runnable.kernels[runnable.count++] = &kAvx2Kernel;
    }
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("popcnt")) {
        runnable.kernels[runnable.count++] = &kAvx512Kernel;
    }
#endif
    return runnable;
}

}  // namespace

std::span<const PathKernel* const> RunnableKernels() {
    static const Runnable runnable = FindRunnable();
    return {runnable.kernels.data(), runnable.count};
}

const PathKernel& ChosenKernel() {
    static const PathKernel& chosen = *RunnableKernels().back();
    return chosen;
}
