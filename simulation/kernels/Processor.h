#pragma once

#include <cstdint>
#include <string>

// What an x86-64 processor reports about itself, read by cpuid, so that kernels can ask without
// GCC's runtime (__builtin_cpu_supports), which clang-cl lacks. A feature counts only where the
// operating system also saves its registers on a thread switch.

enum class ProcessorVendor : std::uint8_t { kOther, kIntel, kAmd };

struct ProcessorFeatures {
    bool avx2 = false;
    bool avx512f = false;
    ProcessorVendor vendor = ProcessorVendor::kOther;
};

// Read at the first call.
[[nodiscard]] const ProcessorFeatures& ThisProcessor();

// The model, as the processor names itself, for a benchmark's figures; empty where it does not.
[[nodiscard]] std::string ProcessorName();
