// A HATCH's boundary paths from its buffered pairs: each path an outline in the hatch's own
// coordinates (its OCS), polyline paths with their bulges and edge paths with their lines,
// arcs, elliptic arcs and splines made points.
#pragma once

#include "BufferedPairs.h"
#include "Entities.h"

#include <vector>

namespace quillet::drawing {

struct HatchShape {
    bool solid = false;                       // 70 bit 1: filled, not a pattern
    std::vector<std::vector<Point>> outlines; // the paths of two points or more, in order
};

// Returns the shape the pairs of a hatch give (those after its common ones: pattern name,
// fill flag, path count, paths). Throws std::bad_alloc.
HatchShape hatchShape(const BufferedPairs& pairs);

} // namespace quillet::drawing
