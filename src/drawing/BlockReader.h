// The block loop behind readDrawing: reads the file in large blocks and parses them, the
// pieces of a long entities section on several threads at once.
#pragma once

#include "Drawing.h"
#include "Reader.h"

namespace quillet::drawing {

// Reads every entity and the header of source into drawing (whose index is not built yet).
// Throws what readDrawing throws.
void readEntities(platform::ByteSource& source, std::int64_t total, const ReadOptions& options,
                  Drawing& drawing);

// Returns the end of the last line in [begin, end) that starts an entity other than VERTEX,
// SEQEND and ATTRIB (which belong to the entity before), judged from the lines alone: a line "0"
// followed by a whole line that is no number; begin when there is none. A piece may start there.
const char* lastEntityStart(const char* begin, const char* end) noexcept;

} // namespace quillet::drawing
