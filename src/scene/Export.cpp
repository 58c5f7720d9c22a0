// The export's choices.
#include "Export.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace quillet::scene {

ExportFormat formatOf(const std::filesystem::path& path) {
    std::string suffix = path.extension().string();
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (suffix == ".svg")
        return ExportFormat::Svg;
    if (suffix == ".pdf")
        return ExportFormat::Pdf;
    return ExportFormat::Png;
}

std::string proposedExportName(std::string_view path, std::string_view suffix) {
    // By the bytes: a path object would read UTF-8 in the ANSI code page on Windows.
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    // A name's leading dot starts no extension (".plan"), nor does one in a folder's name.
    const bool hasExtension = dot != std::string_view::npos && dot > start;
    return std::string(path.substr(0, hasExtension ? dot : path.size())) + "." +
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
