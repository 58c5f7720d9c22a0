// A MULTILEADER's leader lines and text from its buffered pairs: the context data's text, its
// place, height and direction, and each leader line from its landing point.
#pragma once

#include "BufferedPairs.h"
#include "Entities.h"

#include <string>
#include <vector>

namespace quillet::drawing {

struct MultiLeaderShape {
    // Each leader line from its landing point to its arrowhead, in world points.
    std::vector<std::vector<Point>> lines;
    bool haveText = false;
    std::string text; // the MTEXT's bytes, formatting codes and all
    Point at;         // where the text stands (its top left)
    double height = 0;
    double rotationDegrees = 0;
};

// Returns the shape the pairs of a multileader give (those after its common ones). Throws
// std::bad_alloc.
MultiLeaderShape multiLeaderShape(const BufferedPairs& pairs);

} // namespace quillet::drawing
