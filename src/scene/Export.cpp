// The export's choices and texts.
#include "Export.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace quillet::scene {

ExportFormat formatOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    // A name's first dot starts no extension (".svg" is a hidden file's whole name).
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return ExportFormat::Png;
    std::string suffix(name.substr(dot + 1));
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const ExportChoice& choice : kExportChoices)
        if (suffix == choice.suffix)
            return choice.format;
    return ExportFormat::Png;
}

std::string filterOf(const ExportChoice& choice) {
    return std::string(choice.label) + " (*." + std::string(choice.suffix) + ")";
}

std::string_view exportTitle(bool whole) {
    return whole ? "図面全体を書き出し" : "表示範囲を書き出し";
}

std::string exportFailed(std::string_view path) {
    return "書き出せませんでした: " + std::string(path);
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
