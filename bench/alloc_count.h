// Allocations of the whole benchmark binary, counted by a replacement of the
// global operator new (alloc_count.cpp). Benchmarks that do not ask see no
// difference but one relaxed counter increment per allocation.
#pragma once

#include <cstdint>

namespace bench {

// Calls of the global operator new (all forms) since the program started.
std::uint64_t allocations();

}  // namespace bench
