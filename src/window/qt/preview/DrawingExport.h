// The Qt side of the preview's export: the scene writes the file, Qt paints and encodes PNG.
#pragma once

#include "drawing/Drawing.h"
#include "scene/ExportFile.h"
#include "scene/ViewTransform.h"

#include <string>

namespace quillet::window::qt::preview {

// Returns what Qt does for every export (scene::exportDrawing): the measure of texts in the
// view's font, and the PNG.
const scene::ExportFrontEnd& qtExport();

} // namespace quillet::window::qt::preview
