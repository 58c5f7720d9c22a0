#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>

namespace quillet::platform {

// Longest padded form of a 32-bit number: sign, ten digits, trailing blank.
inline constexpr std::size_t kPaddedNumberMax = 12;

// Writes value in the padded number form (" 100 ", "-200 ", " 0 ") at out; returns the end.
// out must have room for kPaddedNumberMax bytes.
inline char* formatPadded(std::int32_t value, char* out) {
    // The magnitude in unsigned 32 bits holds the most negative value too.
    const std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    *out++ = value < 0 ? '-' : ' ';
    out = std::to_chars(out, out + 10, magnitude).ptr;
    *out++ = ' ';
    return out;
}

} // namespace quillet::platform
