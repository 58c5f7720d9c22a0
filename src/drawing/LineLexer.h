// The line lexer: a run of whole lines cut into lines, and a group code line read as its
// number. It is the reader's hot path: a drawing of ten million texts has a hundred and forty
// million lines, so line feeds are found sixty-four bytes at a time and the common group
// codes ("  0", " 10", "100") are read without a library call.
#pragma once

#include <cstdint>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillet::drawing {

// Group codes a DXF file can hold (negative ones are application codes).
inline constexpr int kMinCode = -5;
inline constexpr int kMaxCode = 1071;

// The bytes a run must have readable after its end: the lexer and the fast path for our own
// texts read ahead in whole words.
inline constexpr std::size_t kReadAhead = 64;

// Finds the line feeds of a run in order.
class LineLexer {
  public:
    // Lexes [begin, end), with kReadAhead bytes readable after end.
    LineLexer(const char* begin, const char* end) noexcept : base_(begin), end_(end) { load(); }

    // Goes on from p: a line's start at or after the last line feed returned.
    void skipTo(const char* p) noexcept {
        const std::ptrdiff_t into = p - base_;
        if (into >= 64) {
            base_ += into & ~std::ptrdiff_t{63};
            if (base_ >= end_) {
                mask_ = 0;
                return;
            }
            load();
        }
        const std::ptrdiff_t bit = p - base_;
        mask_ &= bit >= 64 ? 0 : ~((std::uint64_t{1} << bit) - 1);
    }

    // Returns the next line feed, or end when there is none.
    const char* nextLineFeed() noexcept {
        while (mask_ == 0) {
            base_ += 64;
            if (base_ >= end_)
                return end_;
            load();
        }
        const char* at = base_ + __builtin_ctzll(mask_);
        mask_ &= mask_ - 1;
        return at;
    }

    // Returns the line from p to the next line feed, without its CR, and moves p past it.
    std::string_view take(const char*& p) noexcept {
        const char* lf = nextLineFeed();
        std::string_view line(p, static_cast<std::size_t>(lf - p));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        p = lf + 1;
        return line;
    }

  private:
    void load() noexcept {
        std::uint64_t m = 0;
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi8('\n');
        for (int k = 0; k < 4; ++k) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base_ + 16 * k));
            m |= static_cast<std::uint64_t>(
                     static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf))))
                 << (16 * k);
        }
#else
        for (int k = 0; k < 64; ++k)
            m |= static_cast<std::uint64_t>(base_[k] == '\n') << k;
#endif
        const std::ptrdiff_t left = end_ - base_;
        if (left < 64)
            m &= (std::uint64_t{1} << left) - 1;
        mask_ = m;
    }

    const char* base_;
    const char* end_;
    std::uint64_t mask_ = 0;
};

// Returns the group code of any line: blanks around, a sign, leading zeros; a value beyond
// kMaxCode when it holds no code.
int anyGroupCode(std::string_view line) noexcept;

// Returns the group code of a line, or a value beyond kMaxCode when it holds none. The common
// forms (digits after blanks) are read here, the rest by anyGroupCode.
inline int groupCode(std::string_view line) noexcept {
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ')
        ++i;
    int value = 0;
    std::size_t digits = 0;
    while (i < line.size() && digits < 6) {
        const unsigned d = static_cast<unsigned char>(line[i]) - unsigned{'0'};
        if (d > 9)
            break;
        value = value * 10 + static_cast<int>(d);
        ++i;
        ++digits;
    }
    if (digits > 0 && i == line.size())
        return value;
    return anyGroupCode(line);
}

// Returns s without the blanks and tabs around it.
inline std::string_view trimmed(std::string_view s) noexcept {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace quillet::drawing
