#pragma once

#include "ConversionState.h"
#include "DxfWriter.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::conversion {

// Returns the X of the next item: blockNo x textHeight x 10 in 16 bits; throws RunError 6.
std::int32_t placeX(const ConversionState& state);

// Returns the Y of the next item: -(textHeight x itemNo) x 2 in 32 bits; throws RunError 6.
std::int32_t placeY(const ConversionState& state);

// Writes one TEXT entity for text at the place of the next item, storing its X and Y in
// state; does not count it. Throws RunError 6 from the placement, leaving the entity cut
// after its " 10" or " 20" line.
void PutTextEntity(ConversionState& state, DxfWriter& out, std::string_view text);

// Writes the fields of line (at least one character) from the last to the first, dropping
// empty ones, and counts them in itemNo. Throws RunError 6 for a line of more than 32767
// characters (before writing anything of it) and for every overflow of the placement.
void ScanLine(ConversionState& state, DxfWriter& out, std::string_view line);

// Scans line as ScanLine does, for a line whose characters were counted already (its bytes may
// then be more than 32767 characters would take in code page 932: escapes are long).
void ScanCountedLine(ConversionState& state, DxfWriter& out, std::string_view line);

// Writes fields from the last to the first, dropping empty ones, and counts them in itemNo;
// for a record read with spreadsheet quoting, whose length was judged already. Throws
// RunError 6 for every overflow of the placement.
void ScanFields(ConversionState& state, DxfWriter& out, const std::vector<std::string>& fields);

// Scans state.curLine as above.
inline void ScanLine(ConversionState& state, DxfWriter& out) {
    ScanLine(state, out, state.curLine);
}

} // namespace quillet::conversion
