// Memory for the large arrays a drawing is read into: blocks of two megabytes or more are taken
// straight from the system, where it allows in huge pages, since faulting in a drawing's
// hundreds of megabytes four kilobytes at a time cost more than reading it.
#pragma once

#include <cstddef>

namespace quillet::platform {

// Returns bytes of uncleared memory (any size; small ones come from malloc). Throws
// std::bad_alloc.
void* allocateBlock(std::size_t bytes);

// Gives back a block allocateBlock returned for the same bytes (null does nothing). A few
// large blocks are kept for the next allocations of their size, until releaseBlocks().
void freeBlock(void* block, std::size_t bytes) noexcept;

// Returns the large blocks kept for reuse to the system.
void releaseBlocks() noexcept;

} // namespace quillet::platform
