// The exports. PNG and PDF paint with the same painter as the view onto their own device;
// SVG is the scene's own writer, measured by the same font.
#include "DrawingExport.h"

#include "DrawingPainter.h"

#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <filesystem>

namespace quillet::window::qt::preview {

namespace {

void paintOn(QPainter& painter, const drawing::Drawing& drawing, const scene::ViewTransform& view) {
    painter.fillRect(QRectF(0, 0, view.size.width, view.size.height), Qt::white);
    scene::Scene scene;
    scene::TextCache cache;
    paintDrawing(painter, drawing, view, cache, scene);
}

QSize pixelSize(const scene::ViewTransform& view) {
    return QSizeF(view.size.width, view.size.height).toSize();
}

} // namespace

ExportFormat formatOf(const QString& path) {
    return scene::formatOf(std::filesystem::path(path.toStdU16String()));
}

QString exportDrawing(const drawing::Drawing& drawing, const scene::ViewTransform& shown,
                      bool whole, const QString& path, ExportFormat format, const QString& title) {
    const QString failed = QStringLiteral("書き出せませんでした: %1").arg(path);
    const drawing::Box extents =
        whole ? scene::measuredExtents(drawing, textMeasure()) : drawing::Box{};
    switch (format) {
    case ExportFormat::Png: {
        const scene::ViewTransform view =
            whole ? scene::wholeDrawingView(extents, scene::kWholeImagePixels) : shown;
        QImage image(pixelSize(view), QImage::Format_RGB32);
        if (image.isNull())
            return failed;
        QPainter painter(&image);
        paintOn(painter, drawing, view);
        painter.end();
        return image.save(path, "PNG") ? QString() : failed;
    }
    case ExportFormat::Svg: {
        const scene::ViewTransform view =
            whole ? scene::wholeDrawingView(extents, scene::kWholeVectorPixels) : shown;
        const std::string svg = scene::svgOf(drawing, view, title.toStdString(), textMeasure());
        QFile file(path);
        const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                             file.write(svg.data(), static_cast<qint64>(svg.size())) ==
                                 static_cast<qint64>(svg.size()) &&
                             file.flush();
        return written ? QString() : failed;
    }
    case ExportFormat::Pdf: {
        const scene::ViewTransform base =
            whole ? scene::wholeDrawingView(extents, scene::kWholeVectorPixels) : shown;
        QPdfWriter pdf(path);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Quillet"));
        // A page of the view's proportions, as wide as A4 is long.
        const double wMm = 297, hMm = 297 * base.size.height / base.size.width;
        pdf.setPageSize(QPageSize(QSizeF(wMm, hMm), QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(150);
        QPainter painter;
        if (!painter.begin(&pdf))
            return failed;
        const QRect page = painter.viewport();
        // The view, rescaled to the page's pixels.
        scene::ViewTransform view = base;
        const double k = page.width() / base.size.width;
        view.scale *= k;
        view.size = {static_cast<double>(page.width()), static_cast<double>(page.height())};
        paintOn(painter, drawing, view);
        return painter.end() ? QString() : failed;
    }
    }
    return failed;
}

} // namespace quillet::window::qt::preview
