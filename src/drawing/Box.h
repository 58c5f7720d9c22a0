// An axis-aligned box: of an item for the index and the painter, of the texts' anchors.
#pragma once

#include <algorithm>
#include <limits>

namespace quillet::drawing {

// An axis-aligned box in drawing units; empty when min > max.
struct Box {
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();

    bool empty() const noexcept { return minX > maxX || minY > maxY; }
    double width() const noexcept { return maxX - minX; }
    double height() const noexcept { return maxY - minY; }
    void add(double x, double y) noexcept {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
    void add(const Box& b) noexcept {
        minX = std::min(minX, b.minX);
        minY = std::min(minY, b.minY);
        maxX = std::max(maxX, b.maxX);
        maxY = std::max(maxY, b.maxY);
    }
    bool intersects(const Box& b) const noexcept {
        return minX <= b.maxX && b.minX <= maxX && minY <= b.maxY && b.minY <= maxY;
    }
};

} // namespace quillet::drawing
