#include "TextEncoding.h"

#include "CodePages.h"
#include "Cp932.h"

#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillet::platform::text {

namespace {

constexpr std::uint16_t kNotLookedUp = 0xFFFF;
constexpr std::uint16_t kNoCode = 0xFFFE; // no double-byte code reaches this high
constexpr std::uint16_t kGeta = 0x81AC;   // 〓, the mark for a character that cannot be shown

// Returns the number of leading bytes of bytes below 0x80.
std::size_t asciiPrefix(std::string_view bytes) noexcept {
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & 0x8080808080808080ull)
            break;
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80)
        ++i;
    return i;
}

// Returns the position of the first byte of 0x80 or above at from or after it; the size when
// there is none.
std::size_t nextHighByte(std::string_view bytes, std::size_t from) noexcept {
    std::size_t i = from;
#if defined(__SSE2__)
    for (; i + 16 <= bytes.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
        if (const int high = _mm_movemask_epi8(chunk))
            return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(high)));
    }
#endif
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (const std::uint64_t high = word & 0x8080808080808080ull)
            return i + static_cast<std::size_t>(std::countr_zero(high)) / 8;
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80)
        ++i;
    return i;
}

// Reads the character at bytes[i] of well-formed UTF-8 and moves i past it.
char32_t nextChar(std::string_view bytes, std::size_t& i) noexcept {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    auto cont = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]) & 0x3Fu; };
    char32_t cp;
    if (b0 < 0x80) {
        cp = b0;
        i += 1;
    } else if (b0 < 0xE0) {
        cp = (b0 & 0x1Fu) << 6 | cont(1);
        i += 2;
    } else if (b0 < 0xF0) {
        cp = (b0 & 0x0Fu) << 12 | cont(1) << 6 | cont(2);
        i += 3;
    } else {
        cp = (b0 & 0x07u) << 18 | cont(1) << 12 | cont(2) << 6 | cont(3);
        i += 4;
    }
    return cp;
}

int hexValue(char c) noexcept {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

void appendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

ByteOrderMark markOf(std::string_view start) noexcept {
    if (start.starts_with("\xEF\xBB\xBF"))
        return ByteOrderMark::Utf8;
    if (start.starts_with("\xFF\xFE"))
        return ByteOrderMark::Utf16Le;
    if (start.starts_with("\xFE\xFF"))
        return ByteOrderMark::Utf16Be;
    return ByteOrderMark::None;
}

bool hasHighByte(std::string_view bytes) noexcept {
    return asciiPrefix(bytes) != bytes.size();
}

std::optional<std::size_t> countUtf8Chars(std::string_view bytes) noexcept {
    std::size_t i = 0;
    std::size_t chars = 0;
    for (;; ++chars) {
        const std::size_t ascii = asciiPrefix(bytes.substr(i));
        i += ascii;
        chars += ascii;
        if (i >= bytes.size())
            return chars;
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        std::size_t length;
        unsigned char low = 0x80, high = 0xBF; // the range of the second byte
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            length = 3;
            if (b0 == 0xE0)
                low = 0xA0; // overlong below
            if (b0 == 0xED)
                high = 0x9F; // surrogates above
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            length = 4;
            if (b0 == 0xF0)
                low = 0x90;
            if (b0 == 0xF4)
                high = 0x8F; // beyond U+10FFFF above
        } else {
            return std::nullopt;
        }
        if (i + length > bytes.size())
            return std::nullopt;
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        if (b1 < low || b1 > high)
            return std::nullopt;
        for (std::size_t k = 2; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return std::nullopt;
        i += length;
    }
}

std::optional<std::size_t> countCp932Chars(std::string_view bytes) noexcept {
    // Every byte is a character but for the trail bytes; only high bytes need a look.
    std::size_t pairs = 0;
    for (std::size_t i = nextHighByte(bytes, 0); i < bytes.size(); i = nextHighByte(bytes, i)) {
        if (!cp932::isLeadByte(static_cast<unsigned char>(bytes[i]))) {
            ++i;
            continue;
        }
        if (i + 1 >= bytes.size())
            return std::nullopt;
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
            return std::nullopt;
        ++pairs;
        i += 2;
    }
    return bytes.size() - pairs;
}

void appendUnicodeEscape(char32_t cp, std::string& out) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\U+";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(cp >> shift) & 0xF];
}

std::string decodeUnicodeEscapes(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        if (utf8[i] == '\\' && i + 7 <= utf8.size() && (utf8[i + 1] == 'U' || utf8[i + 1] == 'u') &&
            utf8[i + 2] == '+') {
            char32_t cp = 0;
            bool hex = true;
            for (std::size_t k = 3; k < 7 && hex; ++k) {
                const int digit = hexValue(utf8[i + k]);
                hex = digit >= 0;
                cp = cp << 4 | static_cast<char32_t>(digit);
            }
            // A surrogate on its own is no character; such an escape stays as it stands.
            if (hex && !(cp >= 0xD800 && cp <= 0xDFFF)) {
                appendUtf8(cp, out);
                i += 7;
                continue;
            }
        }
        out += utf8[i++];
    }
    return out;
}

Cp932Encoder::Cp932Encoder() : codes_(std::make_unique<std::array<std::uint16_t, 0x10000>>()) {
    codes_->fill(kNotLookedUp);
}

Cp932Encoder::~Cp932Encoder() = default;

std::uint16_t Cp932Encoder::codeOf(char32_t cp) {
    std::uint16_t& code = (*codes_)[cp];
    if (code == kNotLookedUp)
        code = codepage::cp932Of(cp).value_or(kNoCode);
    return code;
}

void Cp932Encoder::append(std::string_view utf8, std::string& out) {
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t ascii = asciiPrefix(utf8.substr(i));
        out.append(utf8.data() + i, ascii);
        i += ascii;
        if (i >= utf8.size())
            break;
        const char32_t cp = nextChar(utf8, i);
        const std::uint16_t code = cp < 0x10000 ? codeOf(cp) : kGeta;
        if (cp >= 0x10000) {
            ++replaced_;
        } else if (code == kNoCode) {
            appendUnicodeEscape(cp, out);
            ++escaped_;
            continue;
        }
        if (code >= 0x100)
            out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
    }
}

} // namespace quillet::platform::text
