#pragma once

#include "RunError.h"

#include <cstdint>

// Arithmetic at a fixed width that raises Overflow (6) instead of wrapping.
namespace quillet::platform::checked {

// Returns a + b; throws RunError 6 when the sum leaves the 16-bit range.
inline std::int16_t add16(std::int16_t a, std::int16_t b) {
    std::int16_t r;
    if (__builtin_add_overflow(a, b, &r))
        raiseOverflow();
    return r;
}

// Returns a * b; throws RunError 6 when the product leaves the 16-bit range.
inline std::int16_t mul16(std::int16_t a, std::int16_t b) {
    std::int16_t r;
    if (__builtin_mul_overflow(a, b, &r))
        raiseOverflow();
    return r;
}

// Returns a + b; throws RunError 6 when the sum leaves the 32-bit range.
inline std::int32_t add32(std::int32_t a, std::int32_t b) {
    std::int32_t r;
    if (__builtin_add_overflow(a, b, &r))
        raiseOverflow();
    return r;
}

// Returns a * b; throws RunError 6 when the product leaves the 32-bit range.
inline std::int32_t mul32(std::int32_t a, std::int32_t b) {
    std::int32_t r;
    if (__builtin_mul_overflow(a, b, &r))
        raiseOverflow();
    return r;
}

// Returns -a; throws RunError 6 for the one value without a negation.
inline std::int32_t neg32(std::int32_t a) {
    std::int32_t r;
    if (__builtin_sub_overflow(std::int32_t{0}, a, &r))
        raiseOverflow();
    return r;
}

// Returns n as 16 bits; throws RunError 6 when it does not fit.
inline std::int16_t narrow16(std::int64_t n) {
    if (n < INT16_MIN || n > INT16_MAX)
        raiseOverflow();
    return static_cast<std::int16_t>(n);
}

} // namespace quillet::platform::checked
