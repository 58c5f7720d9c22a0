// Every text a drawing shows, where it lands in the world: blocks expanded, hidden layers left
// out. For the command line's text listing and for comparing with other readers.
#pragma once

#include "Drawing.h"

#include <cstdint>
#include <functional>
#include <string>

namespace quillet::drawing {

// A text placed in the world.
struct PlacedText {
    double x = 0, y = 0; // the anchor: insertion point, or alignment point as CAD programs use
    double height = 0;
    double rotationDegrees = 0;      // counterclockwise, in [0, 360)
    const Entities* owner = nullptr; // the drawing's entities or a block's
    std::size_t index = 0;           // the text's number in owner
    Look look;                       // its own look, BYLAYER on layer 0 inherited from inserts
};

// Calls each for every text drawn, the drawing's first, then each insert's block's, nested
// inserts and arrays expanded (at most limit texts and block copies together, 32 levels
// deep). Throws what each throws.
void forEachPlacedText(const Drawing& drawing, const std::function<void(const PlacedText&)>& each,
                       std::uint64_t limit = 50'000'000);

// Returns the listing of every text drawn, one line each: X, Y, height, rotation in degrees and
// the decoded text (a line feed written "\n", a tab "\t", a backslash "\\"), separated by tabs.
// Throws platform::RunError 5 when a code page's converter is missing.
std::string textListing(const Drawing& drawing);

} // namespace quillet::drawing
