// Writing what the preview shows, or the whole drawing, as PNG (the GDI painter on a DIB),
// SVG or PDF.
#pragma once

#include "drawing/Drawing.h"
#include "scene/ViewTransform.h"

#include <string>

namespace quillet::window::win32::preview {

// Writes drawing as view shows it to path (UTF-8), in the format its extension names; with
// whole, the whole drawing in a frame of its proportions instead. title names the drawing in
// the file. Returns an empty string, or what went wrong (Japanese).
std::string exportDrawing(const drawing::Drawing& drawing, const scene::ViewTransform& view,
                          bool whole, const std::string& path, const std::string& title);

} // namespace quillet::window::win32::preview
