// The extents' HEADER lines, in fields of one width.
#include "Extents.h"

#include <cstdio>

namespace quillet::conversion {

namespace {

// A number right-aligned in eleven places with a trailing blank, like the padded numbers of
// the entities; wide enough for every extent.
std::string field(std::int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%11lld ", static_cast<long long>(value));
    return text;
}

} // namespace

std::string Extents::headerLines(bool widest) const {
    std::int64_t minX = kWidestMinX, minY = kWidestMinY, maxX = kWidestMaxX, maxY = kWidestMaxY;
    if (!widest) {
        const bool empty = minX_ > maxX_;
        minX = empty ? 0 : std::max(minX_, kWidestMinX);
        minY = empty ? 0 : std::max(minY_, kWidestMinY);
        maxX = empty ? 0 : std::min(maxX_, kWidestMaxX);
        maxY = empty ? 0 : std::min(maxY_, kWidestMaxY);
        // A box of no size is refused by readers as no extents at all.
        maxX = std::max(maxX, minX + 1);
        maxY = std::max(maxY, minY + 1);
    }
    return "  9\r\n$EXTMIN\r\n 10\r\n" + field(minX) + "\r\n 20\r\n" + field(minY) +
           "\r\n 30\r\n0.0\r\n  9\r\n$EXTMAX\r\n 10\r\n" + field(maxX) + "\r\n 20\r\n" +
           field(maxY) + "\r\n 30\r\n0.0\r\n";
}

} // namespace quillet::conversion
