#pragma once

#include <cstdint>
#include <string_view>

namespace quillet::platform {

// The separators of the user's locale, as UTF-8 text.
struct NumberSeparators {
    std::string_view decimal = ".";
    std::string_view group = ",";
};

// Converts text (UTF-8) to a floating-point number: blanks (spaces, tabs, CR, LF) around,
// an optional sign, digits with optional group separators, an optional fraction after the
// decimal separator and an optional exponent. Full-width digits, signs, point and blanks count as
// their ASCII forms. Throws RunError 13 for anything else (the empty text included), 6 beyond the
// double range.
double textToNumber(std::string_view text, NumberSeparators separators);

// Returns the largest integer not greater than value; throws RunError 6 outside 16 bits.
std::int16_t floorTo16(double value);

} // namespace quillet::platform
