#pragma once

#include <cstddef>

// How many times this test program has called operator new so far.
std::size_t AllocationCount();
