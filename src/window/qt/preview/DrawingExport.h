// The Qt side of the preview's export: the scene writes the file, Qt paints and encodes PNG.
#pragma once

#include "drawing/Drawing.h"
#include "scene/ViewTransform.h"

#include <QString>

namespace quillet::window::preview {

// Writes drawing as view shows it, or with whole the whole drawing, to path in the format its
// name asks for (scene::exportDrawing); title names the drawing in the file. Returns an empty
// string, or what went wrong.
QString exportDrawing(const drawing::Drawing& drawing, const scene::ViewTransform& view, bool whole,
                      const QString& path, const QString& title);

} // namespace quillet::window::preview
