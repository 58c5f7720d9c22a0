// What a painter draws in: device pixels (x to the right, y down) and colours.
#pragma once

#include <cstdint>

namespace quillet::scene {

struct DevicePoint {
    double x = 0;
    double y = 0;
};

struct DeviceSize {
    double width = 1;
    double height = 1;
};

// A rectangle from (left, top) to (right, bottom), right >= left and bottom >= top.
struct DeviceRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    double width() const noexcept { return right - left; }
    double height() const noexcept { return bottom - top; }
};

// Straight sRGB with alpha (255 opaque).
struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;

    friend bool operator==(const Color&, const Color&) = default;
};

// How a line is drawn; a width of 0 is the device's thinnest line (one pixel on a screen).
struct Stroke {
    Color color;
    double width = 0;

    friend bool operator==(const Stroke&, const Stroke&) = default;
};

} // namespace quillet::scene
