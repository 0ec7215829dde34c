// Counts every heap allocation the process makes, so that a benchmark can report how
// many allocations one symbol costs each encoder.
#pragma once

#include <cstddef>

namespace bench {

// Number of successful allocations (malloc, calloc, every realloc to a non-zero size,
// aligned forms and every operator new) since the program started. Single-threaded
// use only.
std::size_t AllocationCount();

} // namespace bench
