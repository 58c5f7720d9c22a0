// The exports. PNG and PDF paint the view with the GDI painter into a DIB; the PDF holds
// that image on a page of its size.
#include "PreviewExport.h"

#include "GdiPainter.h"
#include "PdfImage.h"
#include "PngFile.h"
#include "WinText.h"

#include "platform/win32/WideText.h"
#include "scene/Export.h"
#include "scene/Scene.h"
#include "scene/SvgPainter.h"
#include "scene/TextLayout.h"

#include <cmath>
#include <filesystem>

namespace quillet::window::win32::preview {

namespace {

bool writeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    HANDLE file = CreateFileW(platform::win32::systemPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        DWORD wrote = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 24));
        ok = WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
        done += wrote;
    }
    ok = CloseHandle(file) && ok;
    if (!ok)
        DeleteFileW(platform::win32::systemPath(path).c_str());
    return ok;
}

// Paints drawing as view shows it into surface; false when Windows gives no such bitmap.
bool paintImage(Surface& surface, const drawing::Drawing& drawing,
                const scene::ViewTransform& view) {
    if (!surface.resize(static_cast<int>(std::lround(view.size.width)),
                        static_cast<int>(std::lround(view.size.height))))
        return false;
    surface.clear();
    scene::Scene scene;
    scene::TextCache cache;
    GdiPainter painter(surface);
    scene.draw(drawing, view, cache, painter);
    return true;
}

std::vector<std::uint32_t> pixelsOf(const Surface& surface) {
    GdiFlush();
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(surface.width()) * surface.height());
    for (int y = 0; y < surface.height(); ++y)
        pixels.insert(pixels.end(), surface.row(y), surface.row(y) + surface.width());
    return pixels;
}

} // namespace

std::string exportDrawing(const drawing::Drawing& drawing, const scene::ViewTransform& shown,
                          bool whole, const std::string& path, const std::string& title) {
    const std::string failed = "書き出せませんでした: " + path;
    scene::ExportFormat format = scene::ExportFormat::Png;
    try {
        format = scene::formatOf(std::filesystem::path(wide(path)));
    } catch (const std::exception&) {
        // An extension the file system library cannot name: PNG, as for any unknown one.
    }
    // The whole drawing as far as its texts really reach in the font they are drawn in.
    const drawing::Box extents =
        whole ? scene::measuredExtents(drawing, textMeasure()) : drawing::Box{};
    switch (format) {
    case scene::ExportFormat::Png: {
        const scene::ViewTransform view =
            whole ? scene::wholeDrawingView(extents, scene::kWholeImagePixels) : shown;
        Surface surface;
        if (!paintImage(surface, drawing, view))
            return failed;
        const auto png = encodePng(pixelsOf(surface), surface.width(), surface.height());
        return writeFile(path, png) ? std::string() : failed;
    }
    case scene::ExportFormat::Svg: {
        const scene::ViewTransform view =
            whole ? scene::wholeDrawingView(extents, scene::kWholeVectorPixels) : shown;
        // Texts are measured in the font the screen shows them in.
        const std::string text = scene::svgOf(drawing, view, title, textMeasure());
        return writeFile(path,
                         std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))
                   ? std::string()
                   : failed;
    }
    case scene::ExportFormat::Pdf: {
        // Twice the view's pixels, so that print stays sharp.
        scene::ViewTransform view =
            whole ? scene::wholeDrawingView(extents, scene::kWholeVectorPixels) : shown;
        const double pageWidth = view.size.width, pageHeight = view.size.height;
        view.scale *= 2;
        view.size = {view.size.width * 2, view.size.height * 2};
        Surface surface;
        if (!paintImage(surface, drawing, view))
            return failed;
        const auto pdf = pdfOfImage(pixelsOf(surface), surface.width(), surface.height(),
                                    pageWidth * 0.75, pageHeight * 0.75, title);
        return writeFile(path, pdf) ? std::string() : failed;
    }
    }
    return failed;
}

} // namespace quillet::window::win32::preview
