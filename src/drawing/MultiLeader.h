// A MULTILEADER's leader lines, text and block content from its buffered pairs: the context
// data's text (its place, attachment, height, width and direction), its block (by the block
// record's handle, its place, scale and turn) and each leader line from its landing point,
// with the attribute values after the context.
#pragma once

#include "BufferedPairs.h"
#include "Entities.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quillet::drawing {

struct MultiLeaderShape {
    // Each leader line from its landing (or the end of its dogleg) to its arrowhead, in world
    // points; none when the leaders are invisible.
    std::vector<std::vector<Point>> lines;
    // A closed filled arrowhead at each leader line's end.
    std::vector<std::array<Point, 3>> arrows;

    bool haveText = false;
    std::string text; // the MTEXT's bytes, formatting codes and all
    Point at;         // where the text stands: its top left, centre or right (attachment)
    double height = 0;
    double rotationDegrees = 0;
    int attachment = 1;           // MTEXT's 71: 1 top left, 2 top centre, 3 top right
    double wrapWidth = 0;         // 0: no wrapping
    double lineSpacing = 0;       // a factor; 0 the usual
    std::uint32_t textColour = 0; // raw colour (90): 0 or BYBLOCK is the multileader's

    bool haveBlock = false;
    std::uint64_t blockHandle = 0; // the block record's (341)
    Point blockAt;
    double blockXScale = 1, blockYScale = 1;
    double blockRotationDegrees = 0;
    std::uint32_t blockColour = 0; // raw colour (93)
    // The attribute values after the context: the definition's handle and the value.
    std::vector<std::pair<std::uint64_t, std::string>> attributes;
};

// Returns the shape the pairs of a multileader give (those after its common ones). Throws
// std::bad_alloc.
MultiLeaderShape multiLeaderShape(const BufferedPairs& pairs);

// Returns the colour a raw colour value (a multileader's 90, 91, 93) names; own for BYBLOCK
// and for values that name none.
Colour rawColour(std::uint32_t raw, Colour own) noexcept;

// Returns the number a hexadecimal handle names; 0 for none.
std::uint64_t handleOf(std::string_view hex) noexcept;

} // namespace quillet::drawing
