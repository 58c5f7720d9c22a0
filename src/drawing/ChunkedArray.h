// A growing array kept in fixed-size blocks: appending never moves what is already kept past
// the first block, so memory grows by one block at a time and never holds an old and a new
// copy at once. The first block starts small and doubles up to a whole block, so a small
// drawing takes little memory and a large one gets blocks of two megabytes (huge pages).
#pragma once

#include "platform/LargeBlocks.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

namespace quillet::drawing {

// The block size, as a power of two of elements, that makes a block of T two megabytes or a
// little more.
template <class T>
constexpr unsigned kDefaultBlockBits =
    static_cast<unsigned>(std::bit_width((std::size_t{2} << 20) / sizeof(T) - 1));

template <class T, unsigned BlockBits = kDefaultBlockBits<T>> class ChunkedArray {
    // A block's elements are written before they are read: its memory is taken as it comes,
    // not cleared first (clearing cost as much as the reading that fills it).
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    static constexpr std::size_t kFirst = std::max<std::size_t>(1, 256 / sizeof(T));

  public:
    static constexpr std::size_t kBlock = std::size_t{1} << BlockBits;

    ChunkedArray() = default;
    ChunkedArray(ChunkedArray&& other) noexcept
        : blocks_(std::move(other.blocks_)), size_(other.size_), capacity_(other.capacity_) {
        other.blocks_.clear();
        other.size_ = other.capacity_ = 0;
    }
    ChunkedArray& operator=(ChunkedArray&& other) noexcept {
        if (this != &other) {
            clear();
            std::swap(blocks_, other.blocks_);
            std::swap(size_, other.size_);
            std::swap(capacity_, other.capacity_);
        }
        return *this;
    }
    ~ChunkedArray() { clear(); }

    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }

    // Returns the element at i (i < size()).
    T& operator[](std::size_t i) noexcept { return blocks_[i >> BlockBits][i & (kBlock - 1)]; }
    const T& operator[](std::size_t i) const noexcept {
        return blocks_[i >> BlockBits][i & (kBlock - 1)];
    }

    // Appends value; throws std::bad_alloc.
    void push_back(const T& value) {
        if (size_ == capacity_)
            grow();
        (*this)[size_++] = value;
    }

    T& back() noexcept { return (*this)[size_ - 1]; }

    // Takes a whole first block at once, for an array expected to grow large (its memory is
    // only touched as it fills). Throws std::bad_alloc.
    void startWhole() {
        if (blocks_.empty()) {
            blocks_.push_back(static_cast<T*>(platform::allocateBlock(kBlock * sizeof(T))));
            capacity_ = kBlock;
        }
    }

    // Drops the last element.
    void pop_back() noexcept { --size_; }

    // Drops the elements from n on, keeping their blocks for reuse.
    void truncate(std::size_t n) noexcept {
        if (n < size_)
            size_ = n;
    }

    // Moves every element of other to the end, emptying other; whole blocks are handed over
    // when this array ends on a block boundary, copied a run at a time otherwise (each of
    // other's blocks freed once copied). adjust(element) is called on each moved element, as
    // it is copied.
    template <class Adjust> void append(ChunkedArray&& other, Adjust&& adjust) {
        if (size_ == 0 || ((size_ & (kBlock - 1)) == 0 && other.capacity_ >= kBlock)) {
            for (std::size_t i = 0; i < other.size_; ++i)
                adjust(other[i]);
            if (size_ == 0) {
                *this = std::move(other);
                return;
            }
            while (blocks_.size() > (size_ >> BlockBits)) { // spare blocks of a truncation
                platform::freeBlock(blocks_.back(), kBlock * sizeof(T));
                blocks_.pop_back();
            }
            blocks_.reserve(blocks_.size() + other.blocks_.size());
            for (T*& block : other.blocks_) {
                blocks_.push_back(block);
                block = nullptr;
            }
            size_ += other.size_;
            capacity_ = blocks_.size() * kBlock;
            other.blocks_.clear();
            other.size_ = other.capacity_ = 0;
            return;
        }
        std::size_t from = 0;
        while (from < other.size_) {
            if (size_ == capacity_)
                grow();
            const std::size_t room = std::min(capacity_ - size_, kBlock - (size_ & (kBlock - 1)));
            const std::size_t left = kBlock - (from & (kBlock - 1));
            const std::size_t n = std::min({room, left, other.size_ - from});
            T* to = &(*this)[size_];
            const T* source = &other[from];
            for (std::size_t k = 0; k < n; ++k) {
                to[k] = source[k];
                adjust(to[k]);
            }
            size_ += n;
            from += n;
            if ((from & (kBlock - 1)) == 0 && from < other.size_) {
                platform::freeBlock(other.blocks_[(from >> BlockBits) - 1], kBlock * sizeof(T));
                other.blocks_[(from >> BlockBits) - 1] = nullptr;
            }
        }
        other.clear();
    }
    void append(ChunkedArray&& other) {
        append(std::move(other), [](T&) {});
    }

    // Removes every element and frees the blocks.
    void clear() noexcept {
        for (std::size_t b = 0; b < blocks_.size(); ++b)
            platform::freeBlock(blocks_[b], blockElements(b) * sizeof(T));
        blocks_.clear();
        size_ = capacity_ = 0;
    }

    // Returns the bytes the blocks take.
    std::size_t memoryBytes() const noexcept {
        return capacity_ * sizeof(T) + blocks_.capacity() * sizeof(void*);
    }

  private:
    // The elements block b holds: only a lone first block may be smaller than kBlock.
    std::size_t blockElements(std::size_t b) const noexcept {
        return b == 0 && blocks_.size() == 1 ? capacity_ : kBlock;
    }

    void grow() {
        if (blocks_.size() == 1 && capacity_ < kBlock) {
            const std::size_t bigger = std::min(kBlock, capacity_ * 2);
            T* block = static_cast<T*>(platform::allocateBlock(bigger * sizeof(T)));
            std::memcpy(static_cast<void*>(block), blocks_[0], size_ * sizeof(T));
            platform::freeBlock(blocks_[0], capacity_ * sizeof(T));
            blocks_[0] = block;
            capacity_ = bigger;
            return;
        }
        const std::size_t elements = blocks_.empty() ? std::min(kFirst, kBlock) : kBlock;
        blocks_.reserve(blocks_.size() + 1);
        blocks_.push_back(static_cast<T*>(platform::allocateBlock(elements * sizeof(T))));
        capacity_ += elements;
    }

    std::vector<T*> blocks_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0; // the elements the blocks hold
};

} // namespace quillet::drawing
