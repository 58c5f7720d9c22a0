// The Win32 side of the preview's export: the scene writes the file, GDI paints the PNG's
// image and WIC encodes it.
#pragma once

#include "drawing/Drawing.h"
#include "scene/ViewTransform.h"

#include <string>

namespace quillet::window::win32::preview {

// Writes drawing as view shows it, or with whole the whole drawing, to path (UTF-8) in the
// format its name asks for (scene::exportDrawing); title names the drawing in the file.
// Returns an empty string, or what went wrong (Japanese).
std::string exportDrawing(const drawing::Drawing& drawing, const scene::ViewTransform& view,
                          bool whole, const std::string& path, const std::string& title);

} // namespace quillet::window::win32::preview
