// Drawings for the scene's tests, read from bytes in memory.
#pragma once

#include "TestSupport.h"

#include "drawing/Reader.h"
#include "platform/LineReader.h"

#include <memory>
#include <string>

namespace quillet::testing {

// Returns the drawing bytes hold, read as the preview reads a file.
inline std::unique_ptr<drawing::Drawing> drawingFrom(const std::string& bytes) {
    platform::MemorySource source(bytes);
    return drawing::readDrawing(source, static_cast<std::int64_t>(bytes.size()));
}

// Returns the converter's drawing of entities (in their line form), read.
inline std::unique_ptr<drawing::Drawing> drawingOf(const std::string& entities) {
    return drawingFrom(dxfOf(entities));
}

} // namespace quillet::testing
