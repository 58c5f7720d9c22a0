// What an export of a preview decides before any toolkit draws: the format a name asks for,
// the name proposed, the view of a whole drawing, and what the export says to the user.
#pragma once

#include "ViewTransform.h"

#include "drawing/Geometry.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace quillet::scene {

enum class ExportFormat { Png, Svg, Pdf };

// A format as a file dialog offers it: its suffix (no dot) and its name.
struct ExportChoice {
    ExportFormat format;
    std::string_view suffix;
    std::string_view label;
};

// The formats in the order a file dialog lists them, the default (PNG) first.
inline constexpr std::array<ExportChoice, 3> kExportChoices = {{
    {ExportFormat::Png, "png", "PNG 画像"},
    {ExportFormat::Svg, "svg", "SVG 画像"},
    {ExportFormat::Pdf, "pdf", "PDF 文書"},
}};

// The longer side of a whole drawing's image, in pixels, and of an SVG's or PDF's frame.
inline constexpr double kWholeImagePixels = 3000;
inline constexpr double kWholeVectorPixels = 1600;

// What the export says when the window has no drawing to export.
inline constexpr std::string_view kNothingToExport = "書き出す図面がありません。";

// Returns the format a file name's extension names, in any case (PNG when it names none
// known); a folder's extension is not the file's, whichever of / and \ ends it.
ExportFormat formatOf(std::string_view path);

// Returns a file dialog's line for choice: "PNG 画像 (*.png)".
std::string filterOf(const ExportChoice& choice);

// Returns the export dialog's title: for the whole drawing, or for the view shown.
std::string_view exportTitle(bool whole);

// Returns what the export says when path could not be written.
std::string exportFailed(std::string_view path);

// Returns the name proposed for exporting the drawing at path: the same folder and name, the
// last extension replaced by suffix ("png", no dot).
std::filesystem::path proposedExportName(const std::filesystem::path& path,
                                         std::string_view suffix);

// Returns the view of the whole drawing with extents, in a frame of the drawing's
// proportions whose longer side is longSide pixels (the shorter one at least 64).
ViewTransform wholeDrawingView(const drawing::Box& extents, double longSide);

} // namespace quillet::scene
