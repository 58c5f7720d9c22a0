#include "NumberText.h"

#include "RunError.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
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
        static const locale_t cLocale = ::newlocale(LC_NUMERIC_MASK, "C", locale_t{});
        double probe = ::strtod_l(plain.c_str(), nullptr, cLocale);
        if (std::isinf(probe))
            throw RunError(ErrorNumber::Overflow);
        // Keep the sign of a value too small to hold, so that rounding down stays exact.
        if (probe == 0)
            return plain.front() == '-' ? -std::numeric_limits<double>::denorm_min()
                                        : std::numeric_limits<double>::denorm_min();
        return probe;
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
