// The text listing as a command: what quillet-texts and quillet-preview --texts print.
#pragma once

#include <cstdint>
#include <cstdio>

namespace quillet::drawing {

// The exit status of a listing that left texts out (see printTexts).
inline constexpr int kListingCutShort = 3;

// Prints every text the drawing at path shows to out, one a line (see TextListing.h), or with
// summary how many records of each kind it keeps. A drawing cut short is warned about on err
// and listed as far as it was read. Returns the exit status: 0; kListingCutShort, with a line
// on err for each, when the listing left texts out (placed texts and copies past the most it
// places, blocks nested too deep, texts longer than the reader keeps); or 1 with the message
// on err for a drawing that cannot be read or an output that cannot be written. limit is the
// most texts and block copies placed (kMostPlaced).
int printTexts(const char* path, bool summary, std::FILE* out, std::FILE* err,
               std::uint64_t limit = 50'000'000);

} // namespace quillet::drawing
