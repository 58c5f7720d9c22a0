#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

// The extents a declared drawing names in its HEADER ($EXTMIN, $EXTMAX): LibreOffice Draw
// opens a drawing only with extents that hold its texts, and shows the page they span.
namespace quillet::conversion {

// The box around every text placed, bounded generously: a text of n bytes at height h spans
// n x |h| to the right of its insertion point and |h| above it (a character is never wider
// than its height, and never fewer bytes than one); one of negative height spans as far to
// the other sides too.
class Extents {
  public:
    // The widest extents any drawing can need: X in -32768..32767 and Y in 32 bits, widened
    // by the longest text (32767 characters) at the largest height (32768).
    static constexpr std::int64_t kWidestMinX = -32768 - std::int64_t{32767} * 32768;
    static constexpr std::int64_t kWidestMaxX = 32767 + std::int64_t{32767} * 32768;
    static constexpr std::int64_t kWidestMinY = INT32_MIN - std::int64_t{32768};
    static constexpr std::int64_t kWidestMaxY = INT32_MAX + std::int64_t{32768};

    void add(std::int32_t x, std::int32_t y, std::int32_t height, std::size_t bytes) {
        const std::int64_t size = height < 0 ? -std::int64_t{height} : height;
        const std::int64_t width = size * static_cast<std::int64_t>(bytes);
        minX_ = std::min(minX_, height < 0 ? x - width : x);
        maxX_ = std::max(maxX_, x + width);
        minY_ = std::min(minY_, height < 0 ? y - size : y);
        maxY_ = std::max(maxY_, y + size);
    }

    // Returns the HEADER lines that name these extents (the widest ones with widest), each
    // number in a field of the same width, so that one can be written over the other.
    std::string headerLines(bool widest = false) const;

  private:
    std::int64_t minX_ = INT64_MAX;
    std::int64_t minY_ = INT64_MAX;
    std::int64_t maxX_ = INT64_MIN;
    std::int64_t maxY_ = INT64_MIN;
};

} // namespace quillet::conversion
