// The text listing as a command: what quillet-texts and quillet-preview --texts print.
#pragma once

#include <cstdio>

namespace quillet::drawing {

// Prints every text the drawing at path shows to out, one a line (see TextListing.h), or with
// summary how many records of each kind it keeps; a drawing cut short is warned about on err
// and listed as far as it was read. Returns the exit status: 0, or 1 with the message on err
// for a drawing that cannot be read or an output that cannot be written.
int printTexts(const char* path, bool summary, std::FILE* out, std::FILE* err);

} // namespace quillet::drawing
