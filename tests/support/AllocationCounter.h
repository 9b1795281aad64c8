#pragma once

#include <cstddef>

// How many times this test program has called operator new, in any of its forms, so far.
std::size_t AllocationCount();
