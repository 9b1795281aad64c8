#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "support/AllocationCounter.h"

// clang before 19 declares the sized deletes only with -fsized-deallocation; they are ours anyway.
void operator delete(void* memory, std::size_t size) noexcept;
void operator delete[](void* memory, std::size_t size) noexcept;
void operator delete(void* memory, std::size_t size, std::align_val_t alignment) noexcept;
void operator delete[](void* memory, std::size_t size, std::align_val_t alignment) noexcept;

namespace {

constexpr std::size_t kPlain = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
constexpr std::size_t kWide = 64;  // wider than any platform's plain alignment
constexpr auto kWideAlignment = static_cast<std::align_val_t>(kWide);

// One form of new with one of the deletes that may free what it gives. Sanitizers and Microsoft's
// runtime report a delete that does not match the allocator new used.
struct Form {
    const char* name;
    void* (*allocate)(std::size_t);
    void (*release)(void*, std::size_t);
    std::size_t alignment;
};

// NOLINTBEGIN(cppcoreguidelines-owning-memory): the allocation functions themselves are under test.
// Each of the eight forms of new, and each of the twelve deletes once.
const Form kForms[] = {
    {"New", [](std::size_t n) { return ::operator new(n); },
     [](void* p, std::size_t) { ::operator delete(p); }, kPlain},
    {"NewSizedDelete", [](std::size_t n) { return ::operator new(n); },
     [](void* p, std::size_t n) { ::operator delete(p, n); }, kPlain},
    {"NothrowNew", [](std::size_t n) { return ::operator new(n, std::nothrow); },
     [](void* p, std::size_t) { ::operator delete(p, std::nothrow); }, kPlain},
    {"Array", [](std::size_t n) { return ::operator new[](n); },
     [](void* p, std::size_t) { ::operator delete[](p); }, kPlain},
    {"ArraySizedDelete", [](std::size_t n) { return ::operator new[](n); },
     [](void* p, std::size_t n) { ::operator delete[](p, n); }, kPlain},
    {"NothrowArray", [](std::size_t n) { return ::operator new[](n, std::nothrow); },
     [](void* p, std::size_t) { ::operator delete[](p, std::nothrow); }, kPlain},
    {"Aligned", [](std::size_t n) { return ::operator new(n, kWideAlignment); },
     [](void* p, std::size_t) { ::operator delete(p, kWideAlignment); }, kWide},
    {"AlignedSizedDelete", [](std::size_t n) { return ::operator new(n, kWideAlignment); },
     [](void* p, std::size_t n) { ::operator delete(p, n, kWideAlignment); }, kWide},
    {"NothrowAligned",
     [](std::size_t n) { return ::operator new(n, kWideAlignment, std::nothrow); },
     [](void* p, std::size_t) { ::operator delete(p, kWideAlignment, std::nothrow); }, kWide},
    {"AlignedArray", [](std::size_t n) { return ::operator new[](n, kWideAlignment); },
     [](void* p, std::size_t) { ::operator delete[](p, kWideAlignment); }, kWide},
    {"AlignedArraySizedDelete", [](std::size_t n) { return ::operator new[](n, kWideAlignment); },
     [](void* p, std::size_t n) { ::operator delete[](p, n, kWideAlignment); }, kWide},
    {"NothrowAlignedArray",
     [](std::size_t n) { return ::operator new[](n, kWideAlignment, std::nothrow); },
     [](void* p, std::size_t) { ::operator delete[](p, kWideAlignment, std::nothrow); }, kWide},
};

class EveryFormOfNew : public testing::TestWithParam<Form> {};

TEST_P(EveryFormOfNew, IsCountedAlignedAndFreedByItsDelete) {
    const Form& form = GetParam();
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{100}}) {
        const std::size_t before = AllocationCount();
        void* memory = form.allocate(size);
        EXPECT_EQ(AllocationCount(), before + 1) << size << " bytes";
        ASSERT_NE(memory, nullptr) << size << " bytes";
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(memory) % form.alignment, 0U)
            << size << " bytes";
        std::memset(memory, 0xA5, size);  // the whole block is there, for the sanitizers to see
        form.release(memory, size);
    }
}

INSTANTIATE_TEST_SUITE_P(AllocationCounter, EveryFormOfNew, testing::ValuesIn(kForms),
                         [](const testing::TestParamInfo<Form>& info) {
                             return std::string(info.param.name);
                         });

// Rounding a size up to a whole number of alignments must not wrap around to a small block.
TEST(AllocationCounter, RefusesAnAlignedSizeThatCannotBeRoundedUp) {
    volatile std::size_t atRunTime = std::numeric_limits<std::size_t>::max() - 8;
    const std::size_t size = atRunTime;
    EXPECT_EQ(::operator new(size, kWideAlignment, std::nothrow), nullptr);
    EXPECT_EQ(::operator new[](size, kWideAlignment, std::nothrow), nullptr);
    EXPECT_THROW(::operator delete(::operator new(size, kWideAlignment), kWideAlignment),
                 std::bad_alloc);
}
// NOLINTEND(cppcoreguidelines-owning-memory)

}  // namespace
