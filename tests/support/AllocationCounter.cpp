#include "AllocationCounter.h"

#include <cstddef>
#include <cstdlib>
#include <limits>
#include <new>
#ifdef _WIN32
#include <malloc.h>
#endif

// Replaces the global allocation functions of the test program to count them; in a file of its own
// so that no caller's new is inlined beside the free below. Every form is replaced: a library that
// calls one left out (GoogleTest calls the nothrow one) would get the runtime's new and then our
// delete, which sanitizers report as a mismatch and other allocators may not survive.
namespace {
std::size_t allocations = 0;

// NOLINTBEGIN(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory): this is the allocator.

void* AllocateOrNull(std::size_t size, std::align_val_t alignment) noexcept {
    ++allocations;
    const auto align = static_cast<std::size_t>(alignment);
    if (size == 0) {
        size = 1;  // a distinct pointer each time, as new must give
    }
    if (align <= alignof(std::max_align_t)) {
        return std::malloc(size);
    }
    if (size > std::numeric_limits<std::size_t>::max() - align) {
        return nullptr;
    }
    size = (size + align - 1) / align * align;  // aligned_alloc takes whole multiples only
#ifdef _WIN32
    return _aligned_malloc(size, align);  // Microsoft's runtime and mingw-w64 lack aligned_alloc
#else
    return std::aligned_alloc(align, size);
#endif
}

void Free(void* memory, std::align_val_t alignment) noexcept {
#ifdef _WIN32
    if (static_cast<std::size_t>(alignment) > alignof(std::max_align_t)) {
        _aligned_free(memory);
        return;
    }
#else
    static_cast<void>(alignment);
#endif
    std::free(memory);
}

void* Allocate(std::size_t size, std::align_val_t alignment) {
    if (void* memory = AllocateOrNull(size, alignment)) {
        return memory;
    }
    throw std::bad_alloc();
}

constexpr auto kPlain = static_cast<std::align_val_t>(alignof(std::max_align_t));
}  // namespace

std::size_t AllocationCount() { return allocations; }

void* operator new(std::size_t size) { return Allocate(size, kPlain); }
void* operator new[](std::size_t size) { return Allocate(size, kPlain); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    return Allocate(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return Allocate(size, alignment);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size, kPlain);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size, kPlain);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size, alignment);
}

void operator delete(void* memory) noexcept { Free(memory, kPlain); }
void operator delete[](void* memory) noexcept { Free(memory, kPlain); }
void operator delete(void* memory, std::size_t) noexcept { Free(memory, kPlain); }
void operator delete[](void* memory, std::size_t) noexcept { Free(memory, kPlain); }
void operator delete(void* memory, std::align_val_t alignment) noexcept { Free(memory, alignment); }
void operator delete[](void* memory, std::align_val_t alignment) noexcept {
    Free(memory, alignment);
}
void operator delete(void* memory, std::size_t, std::align_val_t alignment) noexcept {
    Free(memory, alignment);
}
void operator delete[](void* memory, std::size_t, std::align_val_t alignment) noexcept {
    Free(memory, alignment);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept { Free(memory, kPlain); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { Free(memory, kPlain); }
void operator delete(void* memory, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    Free(memory, alignment);
}
void operator delete[](void* memory, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    Free(memory, alignment);
}
// NOLINTEND(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
