// Large blocks on Windows: the C library's heap, which maps large blocks on its own.
#include "platform/LargeBlocks.h"

#include <cstdlib>
#include <new>

namespace quillet::platform {

void* allocateBlock(std::size_t bytes) {
    void* p = std::malloc(bytes ? bytes : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void freeBlock(void* block, std::size_t) noexcept {
    std::free(block);
}

void releaseBlocks() noexcept {}

} // namespace quillet::platform
