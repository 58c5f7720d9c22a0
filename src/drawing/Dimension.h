// A dimension drawn from its definition points, as CAD draws one whose block is missing (some
// programs write the points and leave the block to the reader): extension lines, the
// dimension line or arc, closed filled arrowheads of the style's size and the measurement's
// text, for linear, aligned, angular, radial, diameter and ordinate dimensions.
#pragma once

#include "BufferedPairs.h"
#include "DimensionStyle.h"
#include "Entities.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::drawing {

// Returns the definition the pairs of a DIMENSION give (those after its common ones); its
// look and insert are left for the caller.
DimensionDefinition dimensionDefinition(const BufferedPairs& pairs);

struct DimensionShape {
    struct Stroke {
        Point a, b;
        bool extension = false; // an extension line (else the dimension line or a leader)
    };
    struct Curve {
        Point centre;
        double radius = 0;
        double startDegrees = 0, endDegrees = 0; // counterclockwise
    };
    std::vector<Stroke> strokes;
    std::vector<Curve> arcs;                  // an angular dimension's line
    std::vector<std::array<Point, 3>> arrows; // filled
    double measurement = 0;                   // drawing units, or degrees for an angle
    std::string text;                         // MTEXT bytes; empty for a suppressed text
    Point textAt;                             // the text's middle
    double textHeight = 0;
    double textRotationDegrees = 0;
};

// Returns what dimension d of style s draws. Throws std::bad_alloc.
DimensionShape dimensionShape(const DimensionDefinition& d, const DimensionStyle& s);

// Returns value as style s writes a measurement: a length (after DIMLFAC, DIMRND and with
// DIMPOST), or an angle in degrees ("%%d" after it). Throws std::bad_alloc.
std::string measurementText(double value, const DimensionStyle& s, bool angle);

// Returns the text a dimension shows: its own text (1) with "<>" standing for measured, or
// measured alone when it has none; nothing for a single blank. Throws std::bad_alloc.
std::string dimensionText(std::string_view own, const std::string& measured);

// Keeps shape as records of into, in look with the style's colours (BYBLOCK: look's own).
// Throws std::bad_alloc.
void keepDimension(Entities& into, const DimensionShape& shape, Look look, const DimensionStyle& s);

} // namespace quillet::drawing
