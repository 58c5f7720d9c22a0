// The painter. Everything goes through the index, so the cost of a paint follows what is on
// screen, not the size of the drawing: nodes below dust size become dots in one image,
// small texts boxes, and only the largest texts up to the budget are shaped in the font.
#include "DrawingPainter.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>
#include <vector>

namespace quillet::window::preview {

namespace {

using drawing::Box;
using drawing::Drawing;
using drawing::ItemKind;

// Texts are shaped at this pixel size and scaled: integer pixel sizes would make zooming
// jump, and one size keeps one glyph cache.
constexpr int kFontPixels = 64;
// A CJK character fills about this much of the em, so this makes it as tall as its height.
constexpr double kEmPerHeight = 1 / 0.88;
// Larger than this on screen, a text or arc is drawn in pieces clipped beforehand: the
// raster engine's fixed-point coordinates do not reach far past the screen.
constexpr double kFarPixels = 1e5;

// Clips the segment a-b to r (Liang-Barsky); false when nothing is left.
bool clip(QPointF& a, QPointF& b, const QRectF& r) {
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0)
                return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF start = a;
    a = start + QPointF(dx * t0, dy * t0);
    b = start + QPointF(dx * t1, dy * t1);
    return true;
}

// A pixel image of dots, drawn once at the end.
class Dots {
  public:
    Dots(const QSizeF& size, QColor ink)
        : image_(std::max(1, static_cast<int>(std::ceil(size.width()))),
                 std::max(1, static_cast<int>(std::ceil(size.height()))),
                 QImage::Format_ARGB32_Premultiplied),
          ink_(ink.rgba()) {
        image_.fill(Qt::transparent);
    }
    void add(const QPointF& a, const QPointF& b, std::size_t& count) {
        const int x0 =
            std::clamp(static_cast<int>(std::floor(std::min(a.x(), b.x()))), 0, image_.width() - 1);
        const int x1 =
            std::clamp(static_cast<int>(std::floor(std::max(a.x(), b.x()))), 0, image_.width() - 1);
        const int y0 = std::clamp(static_cast<int>(std::floor(std::min(a.y(), b.y()))), 0,
                                  image_.height() - 1);
        const int y1 = std::clamp(static_cast<int>(std::floor(std::max(a.y(), b.y()))), 0,
                                  image_.height() - 1);
        for (int y = y0; y <= y1; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
            for (int x = x0; x <= x1; ++x)
                line[x] = ink_;
        }
        ++count;
        any_ = true;
    }
    void draw(QPainter& painter) const {
        if (any_)
            painter.drawImage(QPointF(0, 0), image_);
    }

  private:
    QImage image_;
    QRgb ink_;
    bool any_ = false;
};

struct Candidate {
    std::uint32_t text;
    double pixels;
};

} // namespace

const QString& TextCache::text(const Drawing& drawing, std::uint32_t i) {
    auto it = texts_.find(i);
    if (it != texts_.end())
        return *it;
    if (texts_.size() > 50000)
        texts_.clear(); // what was on screen long ago
    QString decoded;
    try {
        decoded = QString::fromStdString(drawing.decodedText(i));
    } catch (const std::exception&) {
        const std::string_view bytes = drawing.entities.bytesOf(i);
        decoded = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    return *texts_.insert(i, decoded);
}

QStringList textFontFamilies() {
    return {QStringLiteral("Noto Sans CJK JP"),    QStringLiteral("Noto Sans JP"),
            QStringLiteral("IPAexGothic"),         QStringLiteral("IPAGothic"),
            QStringLiteral("VL Gothic"),           QStringLiteral("TakaoGothic"),
            QStringLiteral("Droid Sans Fallback"), QStringLiteral("sans-serif")};
}

DrawingPainter::DrawingPainter() {
    font_.setFamilies(textFontFamilies());
    font_.setPixelSize(kFontPixels);
    font_.setStyleHint(QFont::SansSerif);
}

PaintStats DrawingPainter::paint(QPainter& painter, const Drawing& drawing,
                                 const ViewTransform& view, TextCache& cache) const {
    PaintStats stats;
    painter.save();
    const QRectF screen(QPointF(-2, -2), view.size + QSizeF(4, 4));
    const Box visible = view.visibleBox(2);
    const double dust = 1.5 / view.scale;
    Dots dots(view.size, boxInk_);
    std::vector<Candidate> readable;
    std::vector<QRectF> boxes;
    QPen linePen(lineInk_, 0);
    painter.setPen(linePen);
    painter.setBrush(Qt::NoBrush);

    auto line = [&](QPointF a, QPointF b) {
        if (clip(a, b, screen))
            painter.drawLine(a, b);
    };
    auto boxOnScreen = [&](const Box& b) {
        return QRectF(view.toScreen(b.minX, b.maxY), view.toScreen(b.maxX, b.minY));
    };

    drawing.index().query(
        visible, dust,
        [&](std::uint32_t id) {
            const Box b = drawing.boundsOf(id);
            if (!b.intersects(visible))
                return;
            const QRectF r = boxOnScreen(b);
            if (r.width() < 1.5 && r.height() < 1.5) {
                dots.add(r.topLeft(), r.bottomRight(), stats.dots);
                return;
            }
            std::size_t i = 0;
            switch (drawing.kindOf(id, i)) {
            case ItemKind::Text: {
                const double pixels = drawing.entities.texts[i].height * view.scale;
                if (pixels < kReadablePixels)
                    boxes.push_back(r);
                else
                    readable.push_back({static_cast<std::uint32_t>(i), pixels});
                return;
            }
            case ItemKind::Line: {
                const auto& l = drawing.entities.lines[i];
                line(view.toScreen(l.a.x, l.a.y), view.toScreen(l.b.x, l.b.y));
                return;
            }
            case ItemKind::Arc: {
                const auto& a = drawing.entities.arcs[i];
                double span = std::fmod(double(a.endDegrees) - a.startDegrees + 720.0, 360.0);
                if (span == 0)
                    span = 360;
                const double radius = a.radius * view.scale;
                if (radius < kFarPixels) {
                    const QPointF c = view.toScreen(a.center.x, a.center.y);
                    painter.drawArc(QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius),
                                    static_cast<int>(std::lround(a.startDegrees * 16.0)),
                                    static_cast<int>(std::lround(span * 16.0)));
                } else {
                    const int steps = 1440;
                    QPointF last;
                    for (int k = 0; k <= steps; ++k) {
                        const double t =
                            (a.startDegrees + span * k / steps) * (std::numbers::pi / 180.0);
                        const QPointF p = view.toScreen(a.center.x + a.radius * std::cos(t),
                                                        a.center.y + a.radius * std::sin(t));
                        if (k)
                            line(last, p);
                        last = p;
                    }
                }
                return;
            }
            case ItemKind::Polyline: {
                const auto& p = drawing.entities.polylines[i];
                QPointF first = view.toScreen(drawing.entities.vertices[p.first].x,
                                              drawing.entities.vertices[p.first].y);
                QPointF last = first;
                for (std::uint32_t k = 1; k < p.count; ++k) {
                    const auto& v = drawing.entities.vertices[p.first + k];
                    const QPointF next = view.toScreen(v.x, v.y);
                    line(last, next);
                    last = next;
                }
                if (p.closed && p.count > 2)
                    line(last, first);
                return;
            }
            }
        },
        [&](const drawing::NodeBox& b) {
            dots.add(view.toScreen(b.minX, b.maxY), view.toScreen(b.maxX, b.minY), stats.dots);
        });

    // Past the budget the smallest readable texts join the boxes.
    if (readable.size() > kTextBudget) {
        std::nth_element(
            readable.begin(), readable.begin() + kTextBudget, readable.end(),
            [](const Candidate& a, const Candidate& b) { return a.pixels > b.pixels; });
        for (std::size_t k = kTextBudget; k < readable.size(); ++k)
            boxes.push_back(boxOnScreen(drawing.boundsOf(readable[k].text)));
        readable.resize(kTextBudget);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(boxInk_.red(), boxInk_.green(), boxInk_.blue(), 150));
    for (const QRectF& r : boxes)
        painter.drawRect(r.intersected(screen));
    stats.textsBoxed = boxes.size();

    painter.setPen(ink_);
    painter.setFont(font_);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFontMetricsF metrics(font_);
    const QTransform base = painter.transform();
    const double tooLarge = 8 * std::max(view.size.width(), view.size.height());
    for (const Candidate& c : readable) {
        if (c.pixels > tooLarge)
            continue; // taller than the screen many times over: nothing of it would show
        const drawing::TextRecord& t = drawing.entities.texts[c.text];
        const QString& text = cache.text(drawing, c.text);
        const QStringList lines = t.isMText() ? text.split(QLatin1Char('\n')) : QStringList{text};
        const double wf = t.isMText() ? 1.0 : std::max(t.widthFactor(), 0.01);
        const double k = t.height * kEmPerHeight / kFontPixels; // font pixels to drawing units
        double widest = 0;
        for (const QString& l : lines)
            widest = std::max(widest, metrics.horizontalAdvance(l));
        const drawing::TextFrame frame =
            drawing::textFrame(t, widest * k * wf, static_cast<int>(lines.size()));
        const QPointF anchor = view.toScreen(t.x, t.y);
        QTransform placed = base;
        placed.translate(anchor.x(), anchor.y());
        placed.rotate(-t.rotationDegrees());
        placed.scale(view.scale * k * wf, view.scale * k);
        painter.setTransform(placed);
        for (qsizetype j = 0; j < lines.size(); ++j) {
            const double baseline = frame.firstBaseline -
                                    static_cast<double>(j) * drawing::kMTextLineSpacing * t.height;
            painter.drawText(QPointF(frame.left / (k * wf), -baseline / k), lines[j]);
        }
        ++stats.textsDrawn;
    }
    painter.setTransform(base);
    dots.draw(painter);
    painter.restore();
    return stats;
}

} // namespace quillet::window::preview
