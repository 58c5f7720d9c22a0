// Reading a binary DXF drawing: its typed pairs turned into the text values the pair parser
// takes, so both forms make the same drawing.
#pragma once

#include "Drawing.h"

#include <string_view>

namespace quillet::drawing {

// Reads the binary drawing held whole in bytes (sentinel included) into drawing. Throws
// DrawingError for bytes that are no binary drawing, and std::bad_alloc.
void readBinaryDrawing(std::string_view bytes, Drawing& drawing);

} // namespace quillet::drawing
