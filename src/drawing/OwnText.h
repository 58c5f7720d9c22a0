// The fast path for this program's own texts, which are most of what a preview reads: a TEXT
// entity in exactly the converter's layout (layout/TextLayout.h) is recognised by its fixed
// lines, compared a word at a time, and read whole instead of fourteen lines one by one.
// Anything else, however close, is left to the line-by-line way, which reads it the same.
#pragma once

#include "layout/TextLayout.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quillet::drawing {

// One text read by the fast path.
struct OwnText {
    double x = 0, y = 0, height = 0;
    std::string_view bytes;     // the text as it stands (shorter than 64 KiB)
    std::size_t highs = 0;      // its bytes of 0x80 and above
    bool escape = false;        // it holds a backslash
    int lines = 0;              // the lines read: the text's, and its style's
    bool complete = false;      // the next entity follows: nothing more of this one comes
    const char* next = nullptr; // the start of the line after those read
};

// The first eight bytes of our texts, as a little-endian word.
inline constexpr std::uint64_t kOwnTextHead = [] {
    std::uint64_t w = 0;
    for (std::size_t k = 0; k < 8; ++k)
        w |= std::uint64_t{static_cast<unsigned char>(layout::kTextStart[k])} << (8 * k);
    return w;
}();

// Returns whether the line at p may start one of our texts (its first eight bytes): a cheap
// look before readOwnText, for every group code line of an entities section.
inline bool mayStartOwnText(const char* p, const char* end) noexcept {
    if (end - p < 8)
        return false;
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        return word == kOwnTextHead;
    } else {
        return std::memcmp(p, layout::kTextStart.data(), 8) == 0;
    }
}

// Reads our own texts one after the other. A text's X and height lines are mostly those of
// the text before it (a column shares its X, a drawing its height), so each is kept as it was
// last read and compared whole before its number is read again.
class OwnTextReader {
  public:
    // Returns whether the lines at p, a line's start in [p, end) with kReadAhead bytes
    // readable after end, are one text in this program's layout, and then fills text from
    // them. Reads nothing into the drawing: that is the caller's.
    bool read(const char* p, const char* end, OwnText& text) noexcept;

  private:
    // A number's line and the fixed lines after it, up to the next number or the text, as the
    // last text had them (up to sixteen bytes), and the number's value.
    struct KeptLine {
        std::uint64_t bytes[2] = {0, 0};
        std::uint64_t mask[2] = {0, 0}; // the bytes that belong to the line: none at first
        std::size_t size = 0;
        double value = 0;

        // Returns whether the bytes at p begin with these.
        bool at(const char* p) const noexcept;
        // Keeps [from, to) and value, or nothing when longer than sixteen bytes.
        void keep(const char* from, const char* to, double number) noexcept;
    };

    KeptLine x_, height_;
};

} // namespace quillet::drawing
