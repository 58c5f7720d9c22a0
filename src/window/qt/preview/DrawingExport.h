// The Qt side of the preview's export: the scene writes the file, Qt paints and encodes PNG.
#pragma once

#include "drawing/Drawing.h"
#include "scene/ViewTransform.h"

#include <string>

namespace quillet::window::qt::preview {

// Writes drawing as view shows it, or with whole the whole drawing, to path (the system's
// bytes) in the format its name asks for (scene::exportDrawing); title (UTF-8) names the
// drawing in the file. Returns an empty string, or what went wrong.
std::string exportDrawing(const drawing::Drawing& drawing, const scene::ViewTransform& view,
                          bool whole, const std::string& path, const std::string& title);

} // namespace quillet::window::qt::preview
