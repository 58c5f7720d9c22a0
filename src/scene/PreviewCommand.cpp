// The preview's command line and its export, once for both front ends.
#include "PreviewCommand.h"

#include "drawing/DrawingError.h"
#include "drawing/Reader.h"

#include <exception>
#include <memory>

namespace quillet::scene {

namespace {

constexpr const char* kUsage = "使い方: quillet-preview [図面.dxf...]\n"
                               "       quillet-preview --export 出力.png|svg|pdf [--size 幅x高さ] "
                               "図面.dxf\n"
                               "       quillet-preview --texts 図面.dxf\n";

// Reads "WxH" (each 16..20000) into width and height.
bool sizeOf(const std::string& text, int& width, int& height) {
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) != 2)
        return false;
    return width >= 16 && width <= 20000 && height >= 16 && height <= 20000;
}

} // namespace

PreviewCommand parsePreviewCommand(const std::vector<std::string>& args) {
    PreviewCommand c;
    if (args.empty() || (args[0] != "--export" && args[0] != "--texts"))
        return c;
    c.kind = PreviewCommand::Kind::Usage;
    if (args[0] == "--texts") {
        if (args.size() == 2 && !args[1].empty()) {
            c.kind = PreviewCommand::Kind::Texts;
            c.drawing = args[1];
        }
        return c;
    }
    // --export OUT [--size WxH] DRAWING
    if (args.size() != 3 && args.size() != 5)
        return c;
    int width = 0, height = 0;
    if (args.size() == 5 && (args[2] != "--size" || !sizeOf(args[3], width, height)))
        return c;
    if (args[1].empty() || args.back().empty())
        return c;
    c.kind = PreviewCommand::Kind::Export;
    c.output = args[1];
    c.drawing = args.back();
    c.width = width;
    c.height = height;
    return c;
}

const char* previewUsageText() noexcept {
    return kUsage;
}

int previewUsage(std::FILE* err) {
    if (err)
        std::fputs(kUsage, err);
    return 2;
}

int runExport(const PreviewCommand& command, const TextMeasureMaker& makeMeasure, std::FILE* err,
              const DrawingWriter& write) {
    const char* path = command.drawing.c_str();
    std::unique_ptr<drawing::Drawing> read;
    try {
        read = drawing::readDrawing(command.drawing);
    } catch (const drawing::DrawingError& e) {
        std::fprintf(err, "%s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(err, "%s: %s\n", path, e.what());
        return 1;
    }
    if (read->truncated)
        std::fprintf(
            err, "%s: 図面が途中で終わっています (EOF がありません)。読めた分を書き出します。\n",
            path);
    const bool whole = command.width == 0;
    const ViewTransform view =
        whole ? ViewTransform{}
              : ViewTransform::fitting(measuredExtents(*read, makeMeasure()),
                                       {double(command.width), double(command.height)});
    const std::string error = write(*read, view, whole);
    if (!error.empty()) {
        std::fprintf(err, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace quillet::scene
