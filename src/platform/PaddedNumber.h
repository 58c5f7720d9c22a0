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
    // The magnitude goes through 64 bits so that the most negative value has one too.
    std::int64_t wide = value;
    *out++ = wide < 0 ? '-' : ' ';
    if (wide < 0)
        wide = -wide;
    out = std::to_chars(out, out + 10, static_cast<std::uint64_t>(wide)).ptr;
    *out++ = ' ';
    return out;
}

} // namespace quillet::platform
