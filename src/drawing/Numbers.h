// Reading the numbers of a drawing's lines: group codes, integers and reals as any DXF writer
// formats them (blanks around, a sign, a fraction, an exponent).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillet::drawing {

// Coordinates and sizes beyond this are treated as no number: their squares and sums would
// overflow, and no real drawing has them.
inline constexpr double kMaxMagnitude = 1e15;

// Returns the integer that line holds (blanks around allowed), nothing when it holds none or
// one beyond 32 bits.
std::optional<std::int32_t> parseInteger(std::string_view line) noexcept;

// Returns the integer that line holds, or a real's whole part (some writers put a real where an
// integer belongs), 0 for neither or one of a billion or more.
int lenientInteger(std::string_view line) noexcept;

// Returns the real number that line holds (blanks around allowed), nothing when it holds none.
// Infinity, NaN and values beyond double's range are not numbers here.
std::optional<double> parseReal(std::string_view line) noexcept;

// Reads the short decimals most lines hold (" 100 ", "-2.5"): sets value and returns true, or
// returns false for anything else, which parseReal then reads.
inline bool quickReal(std::string_view line, double& value) noexcept {
    const char* p = line.data();
    const char* end = p + line.size();
    while (p < end && *p == ' ')
        ++p;
    while (end > p && (end[-1] == ' ' || end[-1] == '\r'))
        --end;
    bool negative = false;
    if (p < end && *p == '-') {
        negative = true;
        ++p;
    }
    if (p == end || end - p > 15)
        return false;
    std::int64_t digits = 0;
    int fraction = -1;
    const char* first = p;
    for (; p < end; ++p) {
        const unsigned d = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (d <= 9) {
            digits = digits * 10 + static_cast<std::int64_t>(d);
            fraction += fraction >= 0;
        } else if (*p == '.' && fraction < 0) {
            fraction = 0;
        } else {
            return false;
        }
    }
    constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    double v = static_cast<double>(digits);
    if (fraction > 0)
        v /= kPowers[fraction];
    value = negative ? -v : v;
    return end - first > (fraction >= 0 ? 1 : 0); // a lone "." is no number
}

} // namespace quillet::drawing
