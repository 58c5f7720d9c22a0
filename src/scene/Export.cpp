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

std::filesystem::path proposedExportName(const std::filesystem::path& path,
                                         std::string_view suffix) {
    std::filesystem::path name = path;
    name.replace_extension(std::filesystem::path(std::string(suffix)));
    return name;
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
