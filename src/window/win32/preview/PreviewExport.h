// The Win32 side of the preview's export: the scene writes the file, GDI paints the PNG's
// image and WIC encodes it.
#pragma once

#include "drawing/Drawing.h"
#include "scene/ExportFile.h"
#include "scene/ViewTransform.h"

#include <string>

namespace quillet::window::win32::preview {

// Returns what the Win32 program does for every export (scene::exportDrawing): the measure
// of texts in the GDI font, and the PNG.
const scene::ExportFrontEnd& gdiExport();

} // namespace quillet::window::win32::preview
