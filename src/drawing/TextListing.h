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

// The most texts and block copies together that a listing places.
inline constexpr std::uint64_t kMostPlaced = 50'000'000;

// Where a walk through the texts stopped short of all of them.
struct ListingEnd {
    bool limitReached = false; // it placed as many texts and copies as it may
    bool tooDeep = false;      // blocks nested deeper than kDeepestBlocks were left out

    bool complete() const noexcept { return !limitReached && !tooDeep; }
};

// Calls each for every text drawn, the drawing's first, then each insert's block's, nested
// inserts and arrays expanded (at most limit texts and block copies together, kDeepestBlocks
// levels deep); returns what it left out. Throws what each throws.
ListingEnd forEachPlacedText(const Drawing& drawing,
                             const std::function<void(const PlacedText&)>& each,
                             std::uint64_t limit = kMostPlaced);

// Writes the listing of every text drawn, one line each: X, Y, height, rotation in degrees and
// the decoded text (a line feed written "\n", a tab "\t", a backslash "\\"), separated by
// tabs; hands it to write a megabyte or so at a time, and returns what it left out. Throws
// platform::RunError 5 when a code page's converter is missing, and what write throws.
ListingEnd writeTextListing(const Drawing& drawing,
                            const std::function<void(std::string_view)>& write,
                            std::uint64_t limit = kMostPlaced);

// Returns the whole listing as one text (for tests and small drawings).
std::string textListing(const Drawing& drawing);

} // namespace quillet::drawing
