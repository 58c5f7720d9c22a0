// What an export of a preview decides before any toolkit draws: the format a name asks for,
// the name proposed, the view of a whole drawing, and what a failure says.
#pragma once

#include "ViewTransform.h"

#include "drawing/Geometry.h"

#include <string>
#include <string_view>

namespace quillet::scene {

enum class ExportFormat { Png, Svg, Pdf };

// The longer side of a whole drawing's image, in pixels, and of an SVG's or PDF's frame.
inline constexpr double kWholeImagePixels = 3000;
inline constexpr double kWholeVectorPixels = 1600;

// Returns the format the extension of path (the system's bytes, UTF-8 on Windows) names, in
// any case (PNG when it names none known); a folder's extension is not the file's, whichever
// of / and \ ends it.
ExportFormat formatOf(std::string_view path);

// Returns what the export says when path could not be written.
std::string exportFailed(std::string_view path);

// Returns the name proposed for exporting the drawing at path (the system's bytes, UTF-8 on
// Windows): the same folder and name, the last extension replaced by suffix ("png", no dot).
std::string proposedExportName(std::string_view path, std::string_view suffix);

// Returns the view of the whole drawing with extents, in a frame of the drawing's
// proportions whose longer side is longSide pixels (the shorter one at least 64).
ViewTransform wholeDrawingView(const drawing::Box& extents, double longSide);

} // namespace quillet::scene
