// Writes the drawing that shows whether block references copy their block: one block of many
// lines, inserted a given number of times in a grid.
#pragma once

#include <cstdint>
#include <string>

namespace quillet::bench {

// Writes to path a drawing whose block holds lines LINE entities and whose entities section
// holds inserts INSERTs of it. Throws std::runtime_error when the file cannot be written.
void writeBlockDrawing(const std::string& path, std::int64_t lines, std::int64_t inserts);

} // namespace quillet::bench
