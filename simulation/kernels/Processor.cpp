#include "Processor.h"

#include <array>
#include <cstring>
#include <string_view>

#ifdef _MSC_VER  // cl and clang-cl
#include <intrin.h>
#else
#include <cpuid.h>
#endif

namespace {

struct Registers {
    std::uint32_t eax = 0;
    std::uint32_t ebx = 0;
    std::uint32_t ecx = 0;
    std::uint32_t edx = 0;
};

Registers Cpuid(std::uint32_t leaf) {
#ifdef _MSC_VER
    std::array<int, 4> r{};
    __cpuidex(r.data(), static_cast<int>(leaf), 0);
    return {static_cast<std::uint32_t>(r[0]), static_cast<std::uint32_t>(r[1]),
            static_cast<std::uint32_t>(r[2]), static_cast<std::uint32_t>(r[3])};
#else
    Registers r;
    __cpuid_count(leaf, 0, r.eax, r.ebx, r.ecx, r.edx);
    return r;
#endif
}

// XCR0: the register states that the operating system saves. Only to be read where cpuid reports
// OSXSAVE. GCC's _xgetbv would need the xsave target; the instruction itself is always there then.
std::uint64_t SavedStates() {
#ifdef _MSC_VER
    return _xgetbv(0);
#else
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    asm("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (std::uint64_t{high} << 32) | low;
#endif
}

constexpr bool Has(std::uint64_t bits, std::uint64_t wanted) { return (bits & wanted) == wanted; }

// cpuid's bits, leaf 1's ecx and leaf 7's ebx, and XCR0's.
constexpr std::uint32_t kOsXsave = 1u << 27;
constexpr std::uint32_t kAvx = 1u << 28;
constexpr std::uint32_t kAvx2 = 1u << 5;
constexpr std::uint32_t kAvx512F = 1u << 16;
constexpr std::uint64_t kSseAndYmmStates = 0b110;
constexpr std::uint64_t kOpmaskAndZmmStates = 0b1110'0000;

ProcessorVendor VendorOf(const Registers& leaf0) {
    std::array<char, 12> name{};  // the order is ebx, edx, ecx
    std::memcpy(name.data(), &leaf0.ebx, 4);
    std::memcpy(name.data() + 4, &leaf0.edx, 4);
    std::memcpy(name.data() + 8, &leaf0.ecx, 4);
    const std::string_view vendor(name.data(), name.size());
    return vendor == "GenuineIntel"   ? ProcessorVendor::kIntel
           : vendor == "AuthenticAMD" ? ProcessorVendor::kAmd
                                      : ProcessorVendor::kOther;
}

ProcessorFeatures Read() {
    ProcessorFeatures features;
    const Registers leaf0 = Cpuid(0);
    features.vendor = VendorOf(leaf0);
    if (leaf0.eax < 7) {
        return features;
    }
    const Registers leaf1 = Cpuid(1);
    if (!Has(leaf1.ecx, kOsXsave | kAvx)) {
        return features;
    }
    const std::uint64_t states = SavedStates();
    const Registers leaf7 = Cpuid(7);
    const bool ymm = Has(states, kSseAndYmmStates);
    const bool zmm = ymm && Has(states, kOpmaskAndZmmStates);
    features.avx2 = ymm && Has(leaf7.ebx, kAvx2);
    features.avx512f = zmm && Has(leaf7.ebx, kAvx512F);
    return features;
}

}  // namespace

std::string ProcessorName() {
    constexpr std::uint32_t kFirstNameLeaf = 0x8000'0002;
    constexpr std::uint32_t kLastNameLeaf = 0x8000'0004;
    if (Cpuid(0x8000'0000).eax < kLastNameLeaf) {
        return {};
    }
    std::string name;
    for (std::uint32_t leaf = kFirstNameLeaf; leaf <= kLastNameLeaf; ++leaf) {
        const Registers part = Cpuid(leaf);
        for (const std::uint32_t word : {part.eax, part.ebx, part.ecx, part.edx}) {
            std::array<char, 4> chars{};
            std::memcpy(chars.data(), &word, chars.size());
            name.append(chars.data(), chars.size());
        }
    }
    // Padded with NULs, and by some makers with blanks in front.
    name.erase(name.find_last_not_of(std::string_view("\0 ", 2)) + 1);
    name.erase(0, name.find_first_not_of(' '));
    return name;
}

const ProcessorFeatures& ThisProcessor() {
    static const ProcessorFeatures features = Read();
    return features;
}
