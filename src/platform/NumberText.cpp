#include "NumberText.h"

#include "RunError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace quillet::platform {

namespace {

// Replaces the full-width forms of ASCII (U+FF01..U+FF5E) and the ideographic space by ASCII,
// so that text typed with a Japanese input method reads like its half-width form.
std::string foldWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 == 0xEF && i + 2 < text.size()) {
            auto b1 = static_cast<unsigned char>(text[i + 1]);
            auto b2 = static_cast<unsigned char>(text[i + 2]);
            unsigned cp = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
            if ((b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80 && cp >= 0xFF01 && cp <= 0xFF5E) {
                out += static_cast<char>(cp - 0xFF01 + 0x21);
                i += 2;
                continue;
            }
        }
        if (b0 == 0xE3 && text.substr(i, 3) == "\xE3\x80\x80") {
            out += ' ';
            i += 2;
            continue;
        }
        out += static_cast<char>(b0);
    }
    return out;
}

// A height pasted from a file with CR LF line ends, or from a shell, brings its line end.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Tells whether the number plain ([-]digits[.digits][e[-]digits], not all zeros) is at least
// 1 in size. A value out of the double range is either far above it or far below it, so this
// tells an overflow from an underflow without parsing the number again.
bool isBeyondOne(std::string_view plain) {
    std::size_t i = plain.front() == '-' ? 1 : 0;
    std::int64_t magnitude = 0; // the power of ten of the first digit that is not 0
    bool found = false;
    std::int64_t place = 0; // digits before the point, then how far after it
    for (; i < plain.size() && isDigit(plain[i]); ++i, ++place)
        if (!found && plain[i] != '0') {
            found = true;
            magnitude = -place;
        }
    magnitude += place - 1;
    if (i < plain.size() && plain[i] == '.') {
        for (std::int64_t after = 1; ++i < plain.size() && isDigit(plain[i]); ++after)
            if (!found && plain[i] != '0') {
                found = true;
                magnitude = -after;
            }
    }
    if (i < plain.size() && plain[i] == 'e') {
        const bool negative = ++i < plain.size() && plain[i] == '-';
        std::int64_t exponent = 0;
        for (i += negative; i < plain.size(); ++i)
            exponent = std::min<std::int64_t>(exponent * 10 + (plain[i] - '0'), 1'000'000'000);
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude >= 0;
}

[[noreturn]] void typeMismatch() {
    throw RunError(ErrorNumber::TypeMismatch);
}

} // namespace

double textToNumber(std::string_view text, NumberSeparators separators) {
    const std::string folded = foldWidth(text);
    const std::string decimal = foldWidth(separators.decimal);
    const std::string group = foldWidth(separators.group);
    std::string_view s = folded;
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);

    // The plain form from_chars reads: [-]digits[.digits][e[-]digits].
    std::string plain;
    std::size_t i = 0;
    auto at = [&](std::string_view token) {
        return !token.empty() && s.substr(i, token.size()) == token;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            plain += '-';
        ++i;
    }
    std::size_t digits = 0;
    while (i < s.size()) {
        if (isDigit(s[i])) {
            plain += s[i++];
            ++digits;
        } else if (digits > 0 && at(group) && !at(decimal)) {
            i += group.size();
        } else {
            break;
        }
    }
    if (at(decimal)) {
        i += decimal.size();
        plain += '.';
        while (i < s.size() && isDigit(s[i])) {
            plain += s[i++];
            ++digits;
        }
    }
    if (digits == 0)
        typeMismatch();
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            if (s[i] == '-')
                plain += '-';
            ++i;
        }
        std::size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) {
            plain += s[i++];
            ++expDigits;
        }
        if (expDigits == 0)
            typeMismatch();
    }
    if (i != s.size())
        typeMismatch();

    double value = 0;
    auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars reports underflow the same way; a tiny value is a number, not an overflow.
        if (isBeyondOne(plain))
            throw RunError(ErrorNumber::Overflow);
        // Keep the sign of a value too small to hold, so that rounding down stays exact.
        return plain.front() == '-' ? -std::numeric_limits<double>::denorm_min()
                                    : std::numeric_limits<double>::denorm_min();
    }
    if (ec != std::errc{} || end != plain.data() + plain.size())
        typeMismatch();
    return value;
}

std::int16_t floorTo16(double value) {
    double down = std::floor(value);
    if (!(down >= INT16_MIN && down <= INT16_MAX))
        throw RunError(ErrorNumber::Overflow);
    return static_cast<std::int16_t>(down);
}

} // namespace quillet::platform
