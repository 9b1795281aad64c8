#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

// Replaces the global allocation functions of the test program to count them; in a file of its own
// so that no caller's new is inlined beside the free below.
namespace {
std::size_t allocations = 0;
}  // namespace

std::size_t AllocationCount() { return allocations; }

// NOLINTBEGIN(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory): this is the allocator.

void* operator new(std::size_t size) {
    ++allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }

void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
// NOLINTEND(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
