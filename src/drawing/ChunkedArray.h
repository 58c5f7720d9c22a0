// A growing array kept in fixed-size blocks: appending never moves what is already kept, so
// memory grows by one block at a time and never holds an old and a new copy at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace quillet::drawing {

template <class T, unsigned BlockBits = 14> class ChunkedArray {
    // A block's elements are written before they are read: its memory is taken as it comes,
    // not cleared first (clearing cost as much as the reading that fills it).
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    struct Free {
        void operator()(T* p) const noexcept { std::free(p); }
    };
    using BlockPtr = std::unique_ptr<T[], Free>;
    static BlockPtr allocate() {
        void* p = std::malloc(kBlock * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        return BlockPtr(static_cast<T*>(p));
    }

  public:
    static constexpr std::size_t kBlock = std::size_t{1} << BlockBits;

    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }

    // Returns the element at i (i < size()).
    T& operator[](std::size_t i) noexcept { return blocks_[i >> BlockBits][i & (kBlock - 1)]; }
    const T& operator[](std::size_t i) const noexcept {
        return blocks_[i >> BlockBits][i & (kBlock - 1)];
    }

    // Appends value; throws std::bad_alloc.
    void push_back(const T& value) {
        if ((size_ & (kBlock - 1)) == 0 && (size_ >> BlockBits) == blocks_.size())
            blocks_.push_back(allocate());
        (*this)[size_++] = value;
    }

    T& back() noexcept { return (*this)[size_ - 1]; }

    // Drops the last element.
    void pop_back() noexcept { --size_; }

    // Drops the elements from n on, keeping their blocks for reuse.
    void truncate(std::size_t n) noexcept {
        if (n < size_)
            size_ = n;
    }

    // Moves every element of other to the end, emptying other; blocks are handed over whole
    // when this array ends on a block boundary, copied one by one otherwise.
    void append(ChunkedArray&& other) {
        if ((size_ & (kBlock - 1)) == 0) {
            blocks_.resize(size_ >> BlockBits);
            for (auto& block : other.blocks_)
                blocks_.push_back(std::move(block));
            size_ += other.size_;
        } else {
            for (std::size_t i = 0; i < other.size_; ++i) {
                push_back(other[i]);
                if (((i + 1) & (kBlock - 1)) == 0)
                    other.blocks_[i >> BlockBits].reset(); // each block freed once copied
            }
        }
        other.clear();
    }

    // Removes every element and frees the blocks.
    void clear() noexcept {
        blocks_.clear();
        size_ = 0;
    }

    // Returns the bytes the blocks take.
    std::size_t memoryBytes() const noexcept {
        return blocks_.size() * kBlock * sizeof(T) + blocks_.capacity() * sizeof(void*);
    }

  private:
    std::vector<BlockPtr> blocks_;
    std::size_t size_ = 0;
};

} // namespace quillet::drawing
