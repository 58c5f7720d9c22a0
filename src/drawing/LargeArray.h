// A fixed-size array of uncleared elements in one block from the system (huge pages where it
// has them): file buffers and the index's arrays, whose every element is written before it
// is read.
#pragma once

#include "platform/LargeBlocks.h"

#include <cstddef>
#include <type_traits>
#include <utility>

namespace quillet::drawing {

template <class T> class LargeArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

  public:
    LargeArray() = default;
    // Takes room for size elements, uncleared. Throws std::bad_alloc.
    explicit LargeArray(std::size_t size)
        : data_(size ? static_cast<T*>(platform::allocateBlock(size * sizeof(T))) : nullptr),
          size_(size) {}
    LargeArray(LargeArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    LargeArray& operator=(LargeArray&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        return *this;
    }
    ~LargeArray() { platform::freeBlock(data_, size_ * sizeof(T)); }

    T* data() noexcept { return data_; }
    const T* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }
    T& operator[](std::size_t i) noexcept { return data_[i]; }
    const T& operator[](std::size_t i) const noexcept { return data_[i]; }
    T* begin() noexcept { return data_; }
    T* end() noexcept { return data_ + size_; }

  private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace quillet::drawing
