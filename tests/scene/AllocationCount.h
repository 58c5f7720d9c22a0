// Counts the program's allocations, so that a test can tell that a view allocates nothing per
// item.
#pragma once

#include <cstddef>

// Returns how many times operator new has been called so far.
std::size_t allocationCount() noexcept;
