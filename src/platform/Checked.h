#pragma once

#include "RunError.h"

#include <cstdint>

// Arithmetic at a fixed width that raises Overflow (6) instead of wrapping. Each result is
// worked out in 64 bits, which hold any sum or product of two 32-bit values, then checked:
// plain C++ that every compiler takes.
namespace quillet::platform::checked {

// Returns n as 16 bits; throws RunError 6 when it does not fit.
inline std::int16_t narrow16(std::int64_t n) {
    if (n < INT16_MIN || n > INT16_MAX)
        raiseOverflow();
    return static_cast<std::int16_t>(n);
}

// Returns n as 32 bits; throws RunError 6 when it does not fit.
inline std::int32_t narrow32(std::int64_t n) {
    if (n < INT32_MIN || n > INT32_MAX)
        raiseOverflow();
    return static_cast<std::int32_t>(n);
}

// Returns a + b; throws RunError 6 when the sum leaves the 16-bit range.
inline std::int16_t add16(std::int16_t a, std::int16_t b) {
    return narrow16(std::int64_t{a} + b);
}

// Returns a * b; throws RunError 6 when the product leaves the 16-bit range.
inline std::int16_t mul16(std::int16_t a, std::int16_t b) {
    return narrow16(std::int64_t{a} * b);
}

// Returns a + b; throws RunError 6 when the sum leaves the 32-bit range.
inline std::int32_t add32(std::int32_t a, std::int32_t b) {
    return narrow32(std::int64_t{a} + b);
}

// Returns a * b; throws RunError 6 when the product leaves the 32-bit range.
inline std::int32_t mul32(std::int32_t a, std::int32_t b) {
    return narrow32(std::int64_t{a} * b);
}

// Returns -a; throws RunError 6 for the one value without a negation.
inline std::int32_t neg32(std::int32_t a) {
    return narrow32(-std::int64_t{a});
}

} // namespace quillet::platform::checked
