// What a drawing's reading or showing left out, worded once for every place that says so: the
// text listing's and the export's standard error, and the preview's status line.
#pragma once

#include "Drawing.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::drawing {

// Returns a note for each thing the reader or the preview leaves out of drawing, without a path
// or a full stop: texts cut at the longest the reader keeps, and with nestingCut blocks nested
// too deep (Drawing::nestingCut() for what the preview shows, ListingEnd::tooDeep for a list).
std::vector<std::string> shortfallNotes(const Drawing& drawing, bool nestingCut);

// Returns the note for a text listing stopped after limit texts and block copies.
std::string listingLimitNote(std::uint64_t limit);

} // namespace quillet::drawing
