// Number parsing with a fast path for the short decimals drawings are full of; anything
// longer goes to the standard library's exact conversion.
#include "Numbers.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace quillet::drawing {

namespace {

bool isBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view s) noexcept {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

} // namespace

std::optional<std::int32_t> parseInteger(std::string_view line) noexcept {
    line = trim(line);
    std::size_t i = 0;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+'))
        negative = line[i++] == '-';
    if (i == line.size() || i + 11 < line.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < line.size(); ++i) {
        const unsigned digit = static_cast<unsigned char>(line[i]) - unsigned{'0'};
        if (digit > 9)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<double> parseReal(std::string_view line) noexcept {
    line = trim(line);
    // Fast path: up to 15 digits with a point somewhere, no exponent; exact, since both the
    // digits and the power of ten are exact doubles.
    std::size_t i = 0;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+'))
        negative = line[i++] == '-';
    std::uint64_t digits = 0;
    int count = 0;
    int fraction = -1;
    for (; i < line.size() && count <= 15; ++i) {
        const char c = line[i];
        const unsigned digit = static_cast<unsigned char>(c) - unsigned{'0'};
        if (digit <= 9) {
            digits = digits * 10 + digit;
            ++count;
            if (fraction >= 0)
                ++fraction;
        } else if (c == '.' && fraction < 0) {
            fraction = 0;
        } else {
            break;
        }
    }
    if (i == line.size() && count > 0 && count <= 15) {
        double value = static_cast<double>(digits);
        if (fraction > 0)
            value /= kPowers[fraction];
        return negative ? -value : value;
    }
    // Everything else: exponents, long digit strings; from_chars takes no leading '+'.
    std::string_view rest = line;
    if (!rest.empty() && rest.front() == '+')
        rest.remove_prefix(1);
    if (rest.empty() || rest.front() == '+')
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || end != rest.data() + rest.size() || !std::isfinite(value))
        return std::nullopt;
    return value; // from_chars reads "inf" and "nan", refused above with the overflows
}

int lenientInteger(std::string_view line) noexcept {
    if (const auto parsed = parseInteger(line))
        return *parsed;
    const auto parsed = parseReal(line);
    return parsed && std::fabs(*parsed) < 1e9 ? static_cast<int>(*parsed) : 0;
}

} // namespace quillet::drawing
