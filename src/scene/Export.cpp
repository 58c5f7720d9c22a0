// The export's choices and its failure's text. Names are looked at by their bytes: a path
// object would read UTF-8 in the ANSI code page on Windows.
#include "Export.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace quillet::scene {

namespace {

// Returns where the extension of path's last part starts (at its dot), or npos: a name's
// leading dot starts no extension (".plan"), nor does one in a folder's name.
std::size_t extensionDot(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    return dot != std::string_view::npos && dot > start ? dot : std::string_view::npos;
}

} // namespace

ExportFormat formatOf(std::string_view path) {
    const std::size_t dot = extensionDot(path);
    if (dot == std::string_view::npos)
        return ExportFormat::Png;
    std::string suffix(path.substr(dot + 1));
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (suffix == "svg")
        return ExportFormat::Svg;
    if (suffix == "pdf")
        return ExportFormat::Pdf;
    return ExportFormat::Png;
}

std::string exportFailed(std::string_view path) {
    return "書き出せませんでした: " + std::string(path);
}

std::string proposedExportName(std::string_view path, std::string_view suffix) {
    const std::size_t dot = extensionDot(path);
    return std::string(path.substr(0, dot == std::string_view::npos ? path.size() : dot)) + "." +
           std::string(suffix);
}

ViewTransform wholeDrawingView(const drawing::Box& extents, double longSide) {
    double w = longSide, h = longSide;
    if (!extents.empty() && extents.width() > 0 && extents.height() > 0) {
        const double aspect = extents.width() / extents.height();
        if (aspect >= 1)
            h = std::max(64.0, longSide / aspect);
        else
            w = std::max(64.0, longSide * aspect);
    }
    return ViewTransform::fitting(extents, {std::round(w), std::round(h)});
}

} // namespace quillet::scene
