// The exports. Each paints with the same painter as the view onto its own device.
#include "DrawingExport.h"

#include "DrawingPainter.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace quillet::window::preview {

namespace {

// The longer side of a whole-drawing PNG, in pixels.
constexpr double kWholeImagePixels = 3000;

// Returns view for a whole drawing: fitted into a frame of the drawing's proportions.
ViewTransform wholeView(const drawing::Drawing& drawing, double longSide) {
    const drawing::Box box = drawing.extents();
    double w = longSide, h = longSide;
    if (!box.empty() && box.width() > 0 && box.height() > 0) {
        const double aspect = box.width() / box.height();
        if (aspect >= 1)
            h = std::max(64.0, longSide / aspect);
        else
            w = std::max(64.0, longSide * aspect);
    }
    return ViewTransform::fitting(box, QSizeF(std::round(w), std::round(h)));
}

void paintOn(QPainter& painter, const drawing::Drawing& drawing, const ViewTransform& view) {
    painter.fillRect(QRectF(QPointF(0, 0), view.size), Qt::white);
    DrawingPainter paint;
    TextCache cache;
    paint.paint(painter, drawing, view, cache);
}

} // namespace

ExportFormat formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("svg"))
        return ExportFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return ExportFormat::Pdf;
    return ExportFormat::Png;
}

QString exportDrawing(const drawing::Drawing& drawing, const ViewTransform& shown, bool whole,
                      const QString& path, ExportFormat format, const QString& title) {
    const QString failed = QStringLiteral("書き出せませんでした: %1").arg(path);
    switch (format) {
    case ExportFormat::Png: {
        const ViewTransform view = whole ? wholeView(drawing, kWholeImagePixels) : shown;
        QImage image(view.size.toSize(), QImage::Format_RGB32);
        if (image.isNull())
            return failed;
        QPainter painter(&image);
        paintOn(painter, drawing, view);
        painter.end();
        return image.save(path, "PNG") ? QString() : failed;
    }
    case ExportFormat::Svg: {
        const ViewTransform view = whole ? wholeView(drawing, 1600) : shown;
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setTitle(title);
        svg.setSize(view.size.toSize());
        svg.setViewBox(QRectF(QPointF(0, 0), view.size));
        QPainter painter;
        if (!painter.begin(&svg))
            return failed;
        paintOn(painter, drawing, view);
        return painter.end() ? QString() : failed;
    }
    case ExportFormat::Pdf: {
        const ViewTransform base = whole ? wholeView(drawing, 1600) : shown;
        QPdfWriter pdf(path);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Quillet"));
        // A page of the view's proportions, as wide as A4 is long.
        const double wMm = 297, hMm = 297 * base.size.height() / base.size.width();
        pdf.setPageSize(QPageSize(QSizeF(wMm, hMm), QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(150);
        QPainter painter;
        if (!painter.begin(&pdf))
            return failed;
        const QRect page = painter.viewport();
        // The view, rescaled to the page's pixels.
        ViewTransform view = base;
        const double k = page.width() / base.size.width();
        view.scale *= k;
        view.size = QSizeF(page.width(), page.height());
        paintOn(painter, drawing, view);
        return painter.end() ? QString() : failed;
    }
    }
    return failed;
}

} // namespace quillet::window::preview
