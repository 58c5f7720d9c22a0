#pragma once

#include "LineReader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace quillet::platform {

// A source whose first few bytes can be looked at before they are read, to tell its encoding
// by a byte-order mark.
class PeekSource final : public ByteSource {
  public:
    static constexpr std::size_t kPeek = 4;

    // Reads up to kPeek bytes of source (which must outlive this); throws what source throws.
    explicit PeekSource(ByteSource& source) : source_(source) {
        while (size_ < kPeek) {
            const std::size_t got = source_.read(start_ + size_, kPeek - size_);
            if (got == 0)
                break;
            size_ += got;
        }
    }

    // Returns the first bytes (fewer than kPeek only for a shorter source).
    std::string_view start() const noexcept { return {start_, size_}; }

    std::size_t read(char* into, std::size_t max) override {
        if (served_ < size_) {
            const std::size_t n = std::min(max, size_ - served_);
            std::memcpy(into, start_ + served_, n);
            served_ += n;
            return n;
        }
        return source_.read(into, max);
    }

  private:
    ByteSource& source_;
    char start_[kPeek]{};
    std::size_t size_ = 0;
    std::size_t served_ = 0;
};

} // namespace quillet::platform
