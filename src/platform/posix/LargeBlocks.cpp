// Large blocks on POSIX: mapped anonymously at a huge page's boundary and marked for huge
// pages where the system has them (Linux's transparent huge pages), so a block of two
// megabytes costs one page fault instead of five hundred. Blocks given back are kept for a
// while: a reader's pieces free theirs just as the drawing they are joined to needs new ones.
#include "platform/LargeBlocks.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <utility>
#include <vector>

namespace quillet::platform {

namespace {

// Blocks smaller than a huge page gain nothing from being mapped on their own.
constexpr std::size_t kHuge = std::size_t{2} << 20;
constexpr std::size_t kLarge = kHuge;
constexpr std::size_t kPage = 4096;

constexpr std::size_t kKept = 16;

std::size_t pages(std::size_t bytes) noexcept {
    return (bytes + kPage - 1) & ~(kPage - 1);
}

struct Kept {
    std::mutex lock;
    std::vector<std::pair<void*, std::size_t>> blocks; // at most kKept, reserved up front
};

Kept& kept() {
    static Kept k;
    return k;
}

} // namespace

void* allocateBlock(std::size_t bytes) {
    if (bytes < kLarge) {
        void* p = std::malloc(bytes ? bytes : 1);
        if (!p)
            throw std::bad_alloc();
        return p;
    }
    const std::size_t size = pages(bytes);
    {
        Kept& k = kept();
        std::lock_guard hold(k.lock);
        for (auto& b : k.blocks)
            if (b.second == size) {
                void* block = b.first;
                b = k.blocks.back();
                k.blocks.pop_back();
                return block;
            }
    }
    // Mapped with a huge page to spare, then trimmed to start at a huge page's boundary.
    void* mapped =
        ::mmap(nullptr, size + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto at = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (at + kHuge - 1) & ~(std::uintptr_t{kHuge} - 1);
    if (aligned > at)
        ::munmap(mapped, aligned - at);
    if (const std::size_t tail = at + size + kHuge - (aligned + size))
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    ::madvise(block, size, MADV_HUGEPAGE); // a hint: without huge pages it still works
#endif
    return block;
}

void freeBlock(void* block, std::size_t bytes) noexcept {
    if (!block)
        return;
    if (bytes < kLarge) {
        std::free(block);
        return;
    }
    {
        Kept& k = kept();
        std::lock_guard hold(k.lock);
        if (k.blocks.capacity() < kKept) {
            try {
                k.blocks.reserve(kKept);
            } catch (const std::bad_alloc&) {
            }
        }
        if (k.blocks.size() < k.blocks.capacity()) {
            k.blocks.emplace_back(block, pages(bytes));
            return;
        }
    }
    ::munmap(block, pages(bytes));
}

void releaseBlocks() noexcept {
    Kept& k = kept();
    std::lock_guard hold(k.lock);
    for (const auto& [block, size] : k.blocks)
        ::munmap(block, size);
    k.blocks.clear();
}

} // namespace quillet::platform
