// Writing what the preview shows, or the whole drawing, as PNG or PDF with Qt's own writers,
// and as SVG with the scene's.
#pragma once

#include "drawing/Drawing.h"
#include "scene/Export.h"
#include "scene/ViewTransform.h"

#include <QString>

namespace quillet::window::qt::preview {

using scene::ExportFormat;

// Returns the format a file name's extension names (PNG when it names none known).
ExportFormat formatOf(const QString& path);

// Writes drawing as view shows it to path in format; with whole, the whole drawing fitted
// into a page of its proportions instead. Returns an empty string, or what went wrong
// (Japanese).
QString exportDrawing(const drawing::Drawing& drawing, const scene::ViewTransform& view, bool whole,
                      const QString& path, ExportFormat format, const QString& title);

} // namespace quillet::window::qt::preview
