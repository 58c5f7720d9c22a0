// Reading our own texts whole. The fixed lines between the numbers are the layout's pieces
// joined at compile time and compared eight bytes at a time; the numbers' digits are found and
// summed eight at a time; the text is searched for its line end, high bytes and backslashes
// sixteen bytes at a time.
#include "OwnText.h"

#include "LineLexer.h"

#include <algorithm>
#include <array>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillet::drawing {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;

constexpr char kNumberEndByte[] = {layout::kNumberEnd};
constexpr std::string_view kNumberEnd(kNumberEndByte, 1);

// The bytes of fixed pieces of the layout, joined.
template <const std::string_view&... Pieces> struct Fixed {
    static constexpr std::size_t kSize = (Pieces.size() + ...);
    static constexpr std::array<char, kSize> kBytes = [] {
        std::array<char, kSize> out{};
        std::size_t at = 0;
        ((Pieces.copy(out.data() + at, Pieces.size()), at += Pieces.size()), ...);
        return out;
    }();

    // Returns the eight bytes from offset as a little-endian word.
    static constexpr std::uint64_t word(std::size_t offset) noexcept {
        std::uint64_t w = 0;
        for (std::size_t k = 0; k < 8; ++k)
            w |= std::uint64_t{static_cast<unsigned char>(kBytes[offset + k])} << (8 * k);
        return w;
    }

    // Returns whether the bytes at p are these: words that cover them, the last one
    // overlapping the one before it.
    static bool at(const char* p) noexcept {
        if constexpr (std::endian::native == std::endian::little && kSize >= 8) {
            std::uint64_t differ = 0;
            [&]<std::size_t... K>(std::index_sequence<K...>) {
                ((differ |= load(p + offsetOf(K)) ^ word(offsetOf(K))), ...);
            }
            (std::make_index_sequence<(kSize + 7) / 8>());
            return differ == 0;
        } else {
            return std::memcmp(p, kBytes.data(), kSize) == 0;
        }
    }

  private:
    static constexpr std::size_t offsetOf(std::size_t k) noexcept {
        return std::min(8 * k, kSize - 8);
    }
    static std::uint64_t load(const char* p) noexcept {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        return w;
    }
};

// What stands between the numbers: each number's last blank, its line's end, and the fixed
// lines up to the next number or the text.
using Start = Fixed<layout::kTextStart>;
using AfterX = Fixed<kNumberEnd, layout::kLineEnd, layout::kBeforeY>;
using AfterY = Fixed<kNumberEnd, layout::kLineEnd, layout::kBeforeHeight>;
using AfterHeight = Fixed<kNumberEnd, layout::kLineEnd, layout::kBeforeText>;
using Style = Fixed<layout::kStyleLines>;
using NextEntity = Fixed<layout::kNextEntity>;

// The most bytes from a text's start to its text: the fixed lines and three numbers of the
// most digits. A text is read the fast way only when these bytes and a word more lie before
// the run's end, so that nothing before the text needs a check of its own.
constexpr std::ptrdiff_t kLongestHead = Start::kSize + AfterX::kSize + AfterY::kSize +
                                        AfterHeight::kSize + 3 * (1 + layout::kMostDigits) + 8;

static_assert(layout::kMostDigits < 15, "a number of the layout is exact in a double");

bool isDigit(char c) noexcept {
    return static_cast<unsigned>(static_cast<unsigned char>(c) - '0') <= 9;
}

// Reads a padded number whose lead (a blank or a minus sign) stands at p; returns where its
// digits end, or null when it is no such number of at most kMostDigits digits.
inline const char* paddedNumber(const char* p, double& value) noexcept {
    const char lead = *p;
    if (lead != layout::kPlusLead && lead != layout::kMinusLead)
        return nullptr;
    const char* q = p + 1;
    std::int64_t digits = 0;
    std::size_t n = 0;
    std::uint64_t other = 0;
    std::uint64_t x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t word;
        std::memcpy(&word, q, 8);
        x = word ^ (kOnes * '0'); // a digit's byte becomes its value
        other = (((x & (kOnes * 0x7F)) + kOnes * 0x76) | x) & (kOnes * 0x80); // 10 and above
    }
    if (other) {
        // Up to seven digits, summed in the word: the first digit shifted highest, zeros lead.
        n = static_cast<std::size_t>(std::countr_zero(other) / 8);
        if (n == 0)
            return nullptr;
        std::uint64_t v = x << (8 * (8 - n));
        v = ((v & (kOnes * 0x0F)) * (1 + (10 << 8))) >> 8;
        v = ((v & 0x00FF00FF00FF00FFull) * (1 + (100 << 16))) >> 16;
        v = ((v & 0x0000FFFF0000FFFFull) * (1 + (10000ull << 32))) >> 32;
        digits = static_cast<std::int64_t>(v);
    } else {
        // Eight digits or more, or a processor of the other byte order: one at a time.
        for (; n < layout::kMostDigits && isDigit(q[n]); ++n)
            digits = digits * 10 + (q[n] - '0');
        if (n == 0 || isDigit(q[n]))
            return nullptr;
    }
    value = static_cast<double>(lead == layout::kMinusLead ? -digits : digits);
    return q + n;
}

// Returns the count of set bits of a 16-bit mask (the baseline processor has no instruction
// for it).
inline unsigned bitsIn(unsigned v) noexcept {
    v = v - ((v >> 1) & 0x5555u);
    v = (v & 0x3333u) + ((v >> 2) & 0x3333u);
    v = (v + (v >> 4)) & 0x0F0Fu;
    return (v + (v >> 8)) & 0x1Fu;
}

// Finds the end of the text line at t: sets length, highs and escape and returns true when the
// line ends in CR LF before end and holds no other CR or LF.
inline bool textLine(const char* t, const char* end, std::size_t& length, std::size_t& highs,
                     bool& escape) noexcept {
#if defined(__SSE2__)
    // A text of fewer than sixteen bytes, most of them, in one vector.
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t));
    const auto mask = [&chunk](char c) {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(c))));
    };
    const unsigned cr = mask('\r');
    if (const unsigned ends = cr | mask('\n')) {
        const unsigned i = static_cast<unsigned>(std::countr_zero(ends));
        if (!((cr >> i) & 1) || t[i + 1] != '\n' || t + i + 2 > end)
            return false;
        const unsigned before = (1u << i) - 1;
        length = i;
        highs = bitsIn(static_cast<unsigned>(_mm_movemask_epi8(chunk)) & before);
        escape = (mask('\\') & before) != 0;
        return true;
    }
#endif
    const char* lf =
        static_cast<const char*>(std::memchr(t, '\n', static_cast<std::size_t>(end - t)));
    if (!lf || lf == t || lf[-1] != '\r')
        return false;
    length = static_cast<std::size_t>(lf - 1 - t);
    bool strayCr = false;
    highs = 0;
    escape = false;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        strayCr |= c == '\r';
        escape |= c == '\\';
        highs += c >= 0x80;
    }
    return !strayCr;
}

} // namespace

bool OwnTextReader::KeptLine::at(const char* p) const noexcept {
    std::uint64_t w[2];
    std::memcpy(w, p, sizeof w);
    return (((w[0] ^ bytes[0]) & mask[0]) | ((w[1] ^ bytes[1]) & mask[1])) == 0 && size > 0;
}

void OwnTextReader::KeptLine::keep(const char* from, const char* to, double number) noexcept {
    size = static_cast<std::size_t>(to - from);
    if (size > sizeof bytes || std::endian::native != std::endian::little) {
        size = 0;
        mask[0] = mask[1] = 0;
        return;
    }
    std::memcpy(bytes, from, sizeof bytes);
    for (std::size_t k = 0; k < 2; ++k) {
        const std::size_t in = std::min<std::size_t>(8, size - std::min<std::size_t>(size, 8 * k));
        mask[k] = in == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * in)) - 1;
    }
    value = number;
}

bool OwnTextReader::read(const char* p, const char* end, OwnText& text) noexcept {
    if (end - p < kLongestHead || !Start::at(p))
        return false;
    const char* q = p + Start::kSize;
    if (x_.at(q)) {
        text.x = x_.value;
        q += x_.size;
    } else {
        const char* digitsEnd = paddedNumber(q, text.x);
        if (!digitsEnd || !AfterX::at(digitsEnd))
            return false;
        x_.keep(q, digitsEnd + AfterX::kSize, text.x);
        q = digitsEnd + AfterX::kSize;
    }
    if (!(q = paddedNumber(q, text.y)) || !AfterY::at(q))
        return false;
    q += AfterY::kSize;
    if (height_.at(q)) {
        text.height = height_.value;
        q += height_.size;
    } else {
        const char* digitsEnd = paddedNumber(q, text.height);
        if (!digitsEnd || !AfterHeight::at(digitsEnd))
            return false;
        height_.keep(q, digitsEnd + AfterHeight::kSize, text.height);
        q = digitsEnd + AfterHeight::kSize;
    }
    const char* t = q;
    std::size_t length = 0;
    // A text of 64 KiB or more takes the line-by-line way, which keeps its whole length.
    if (!textLine(t, end, length, text.highs, text.escape) || length > 0xFFFF)
        return false;
    text.bytes = {t, length};
    text.lines = layout::kTextLines;
    const char* next = t + length + layout::kLineEnd.size();
    if (end - next >= static_cast<std::ptrdiff_t>(Style::kSize) && Style::at(next)) {
        next += Style::kSize;
        text.lines += layout::kStyleLineCount;
    }
    text.complete =
        end - next >= static_cast<std::ptrdiff_t>(NextEntity::kSize) && NextEntity::at(next);
    text.next = next;
    return true;
}

} // namespace quillet::drawing
