// The commands: read the drawing on this thread, fit it (texts measured in the font) and write
// it with the export the window uses; or hand over to the text listing.
#include "PreviewCommand.h"

#include "DrawingExport.h"
#include "DrawingPainter.h"

#include "drawing/DrawingError.h"
#include "drawing/Reader.h"
#include "drawing/TextsCommand.h"
#include "scene/TextLayout.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

namespace quillet::window::preview {

namespace {

constexpr const char* kUsage = "使い方: quillet-preview [図面.dxf...]\n"
                               "       quillet-preview --export 出力.png|svg|pdf [--size 幅x高さ] "
                               "図面.dxf\n"
                               "       quillet-preview --texts 図面.dxf\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// Reads "WxH" (each 16..20000) into width and height.
bool sizeOf(std::string_view text, int& width, int& height) {
    char tail = 0;
    if (std::sscanf(std::string(text).c_str(), "%dx%d%c", &width, &height, &tail) != 2)
        return false;
    return width >= 16 && width <= 20000 && height >= 16 && height <= 20000;
}

int exportCommand(int argc, char** argv) {
    // --export OUT [--size WxH] DRAWING
    if (argc != 4 && argc != 6)
        return usage();
    const char* out = argv[2];
    int width = 0, height = 0;
    if (argc == 6 && (std::string_view(argv[3]) != "--size" || !sizeOf(argv[4], width, height)))
        return usage();
    const char* path = argv[argc - 1];
    if (!*out || !*path)
        return usage();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    std::unique_ptr<drawing::Drawing> read;
    try {
        read = drawing::readDrawing(path);
    } catch (const drawing::DrawingError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", path, e.what());
        return 1;
    }
    if (read->truncated)
        std::fprintf(
            stderr, "%s: 図面が途中で終わっています (EOF がありません)。読めた分を書き出します。\n",
            path);
    const QString target = QString::fromLocal8Bit(out);
    const QString title = QFileInfo(QString::fromLocal8Bit(path)).fileName();
    const bool whole = width == 0;
    const scene::ViewTransform view =
        whole ? scene::ViewTransform{}
              : scene::ViewTransform::fitting(scene::measuredExtents(*read, textMeasure()),
                                              {double(width), double(height)});
    const QString error = exportDrawing(*read, view, whole, target, formatOf(target), title);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

} // namespace

bool isCommand(int argc, char** argv) {
    return argc >= 2 &&
           (std::string_view(argv[1]) == "--export" || std::string_view(argv[1]) == "--texts");
}

int runCommand(int argc, char** argv) {
    if (std::string_view(argv[1]) == "--export")
        return exportCommand(argc, argv);
    if (argc != 3 || !*argv[2])
        return usage();
    return drawing::printTexts(argv[2], false, stdout, stderr);
}

} // namespace quillet::window::preview
