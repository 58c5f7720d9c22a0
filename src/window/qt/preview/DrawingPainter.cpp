// The QPainter side of the scene. Texts are shaped at one pixel size and scaled, as the
// scene's run asks: integer pixel sizes would make zooming jump, and one size keeps one glyph
// cache.
#include "DrawingPainter.h"

#include "scene/DotMask.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cmath>
#include <memory>
#include <numbers>

namespace quillet::window::qt::preview {

namespace {

// The pixel size texts are shaped at.
constexpr int kFontPixels = 64;

QColor qColor(scene::Color c) {
    return QColor(c.r, c.g, c.b, c.a);
}

// A QString over text, without a copy; valid while text is.
QString viewOf(std::u16string_view text) {
    return QString::fromRawData(reinterpret_cast<const QChar*>(text.data()),
                                static_cast<qsizetype>(text.size()));
}

QFont textFont() {
    QFont font;
    font.setFamilies(textFontFamilies());
    font.setPixelSize(kFontPixels);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

QStringList textFontFamilies() {
    return {QStringLiteral("Noto Sans CJK JP"),    QStringLiteral("Noto Sans JP"),
            QStringLiteral("IPAexGothic"),         QStringLiteral("IPAGothic"),
            QStringLiteral("VL Gothic"),           QStringLiteral("TakaoGothic"),
            QStringLiteral("Droid Sans Fallback"), QStringLiteral("sans-serif")};
}

scene::TextMeasure textMeasure() {
    auto metrics = std::make_shared<QFontMetricsF>(textFont());
    return [metrics](std::u16string_view text) {
        return metrics->horizontalAdvance(viewOf(text)) / kFontPixels;
    };
}

DrawingPainter::DrawingPainter(QPainter& painter)
    : painter_(painter), font_(textFont()), metrics_(font_) {
    painter_.save();
    base_ = painter_.transform();
    painter_.setFont(font_);
    painter_.setBrush(Qt::NoBrush);
    smooth(false);
}

DrawingPainter::~DrawingPainter() {
    painter_.restore();
}

void DrawingPainter::smooth(bool on) {
    if (smooth_ == on)
        return;
    painter_.setRenderHint(QPainter::Antialiasing, on);
    painter_.setRenderHint(QPainter::TextAntialiasing, on);
    smooth_ = on;
}

void DrawingPainter::strokeWith(const scene::Stroke& stroke) {
    smooth(false);
    painter_.setPen(QPen(qColor(stroke.color), stroke.width));
    painter_.setBrush(Qt::NoBrush);
}

double DrawingPainter::advance(std::u16string_view text) {
    return metrics_.horizontalAdvance(viewOf(text)) / kFontPixels;
}

void DrawingPainter::polyline(std::span<const scene::DevicePoint> points,
                              const scene::Stroke& stroke) {
    strokeWith(stroke);
    points_.clear();
    for (const scene::DevicePoint& p : points)
        points_.emplace_back(p.x, p.y);
    painter_.drawPolyline(points_.data(), static_cast<int>(points_.size()));
}

void DrawingPainter::arc(scene::DevicePoint center, double radius, double startDegrees,
                         double spanDegrees, const scene::Stroke& stroke) {
    strokeWith(stroke);
    painter_.drawArc(QRectF(center.x - radius, center.y - radius, 2 * radius, 2 * radius),
                     static_cast<int>(std::lround(startDegrees * 16.0)),
                     static_cast<int>(std::lround(spanDegrees * 16.0)));
}

void DrawingPainter::fill(std::span<const scene::DevicePoint> points,
                          std::span<const std::uint32_t> ringSizes, scene::Color color) {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    std::size_t at = 0;
    for (std::uint32_t n : ringSizes) {
        if (n == 0 || at + n > points.size())
            break;
        path.moveTo(points[at].x, points[at].y);
        for (std::size_t k = at + 1; k < at + n; ++k)
            path.lineTo(points[k].x, points[k].y);
        path.closeSubpath();
        at += n;
    }
    smooth(true);
    painter_.fillPath(path, qColor(color));
}

void DrawingPainter::fillRects(std::span<const scene::DeviceRect> rects, scene::Color color) {
    smooth(false);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(qColor(color));
    for (const scene::DeviceRect& r : rects)
        painter_.drawRect(QRectF(r.left, r.top, r.width(), r.height()));
    painter_.setBrush(Qt::NoBrush);
}

void DrawingPainter::dots(const scene::DotMask& mask, scene::Color color) {
    QImage image(mask.width(), mask.height(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QRgb ink = qPremultiply(qColor(color).rgba());
    for (int y = 0; y < mask.height(); ++y) {
        const std::uint8_t* from = mask.row(y);
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < mask.width(); ++x)
            if (from[x])
                to[x] = ink;
    }
    painter_.drawImage(QPointF(0, 0), image);
}

void DrawingPainter::glyphRun(const scene::GlyphRun& run) {
    smooth(true);
    painter_.setPen(qColor(run.color));
    const double s = run.emPixels / kFontPixels; // device pixels per font pixel
    QTransform placed = base_;
    placed.translate(run.origin.x, run.origin.y);
    placed.rotate(-run.rotationDegrees);
    for (const scene::TextLine& line : run.lines) {
        QTransform t = placed;
        t.translate(line.x, line.y);
        if (run.obliqueDegrees != 0)
            t.shear(-std::tan(run.obliqueDegrees * (std::numbers::pi / 180.0)), 0);
        t.scale(s * run.xScale, s);
        painter_.setTransform(t);
        painter_.drawText(QPointF(0, 0), viewOf(line.text));
    }
    painter_.setTransform(base_);
}

scene::PaintStats paintDrawing(QPainter& painter, const drawing::Drawing& drawing,
                               const scene::ViewTransform& view, scene::TextCache& cache,
                               scene::Scene& scene) {
    DrawingPainter adapter(painter);
    return scene.draw(drawing, view, cache, adapter);
}

} // namespace quillet::window::qt::preview
