// The scene. Everything goes through the index, so the cost of a view follows what is on
// screen, not the size of the drawing: nodes below dust size become dots, small texts boxes,
// and only the largest texts up to the budget are measured and drawn in the font.
#include "Scene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillet::scene {

namespace {

using drawing::Box;
using drawing::ItemKind;

// Clips the segment a-b to r (Liang-Barsky); false when nothing is left.
bool clip(DevicePoint& a, DevicePoint& b, const DeviceRect& r) noexcept {
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - r.left, r.right - a.x, a.y - r.top, r.bottom - a.y};
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
    const DevicePoint start = a;
    a = {start.x + dx * t0, start.y + dy * t0};
    b = {start.x + dx * t1, start.y + dy * t1};
    return true;
}

DeviceRect intersected(const DeviceRect& a, const DeviceRect& b) noexcept {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// Gathers clipped segments into polylines: a segment that starts where the last one ended
// continues it, any other starts a new one. Uses the scene's buffer; flush() hands what is
// gathered to the painter.
class Strokes {
  public:
    Strokes(std::vector<DevicePoint>& points, const DeviceRect& screen, const Stroke& stroke,
            Painter& painter)
        : points_(points), screen_(screen), stroke_(stroke), painter_(painter) {
        points_.clear();
    }
    void segment(DevicePoint a, DevicePoint b) {
        if (!clip(a, b, screen_)) {
            flush();
            return;
        }
        if (points_.empty() || points_.back().x != a.x || points_.back().y != a.y) {
            flush();
            points_.push_back(a);
        }
        points_.push_back(b);
    }
    void flush() {
        if (points_.size() >= 2)
            painter_.polyline(points_, stroke_);
        points_.clear();
    }

  private:
    std::vector<DevicePoint>& points_;
    const DeviceRect& screen_;
    const Stroke& stroke_;
    Painter& painter_;
};

} // namespace

PaintStats Scene::draw(const drawing::Drawing& drawing, const ViewTransform& view, TextCache& cache,
                       Painter& painter) {
    PaintStats stats;
    const DeviceRect screen{-2, -2, view.size.width + 2, view.size.height + 2};
    const Box visible = view.visibleBox(2);
    const double dust = kDustPixels / view.scale;
    readable_.clear();
    boxes_.clear();
    dots_.reset(view.size);
    const Stroke stroke{style_.line, 0};
    Strokes strokes(points_, screen, stroke, painter);

    auto boxOnScreen = [&](const Box& b) {
        const DevicePoint topLeft = view.toScreen(b.minX, b.maxY);
        const DevicePoint bottomRight = view.toScreen(b.maxX, b.minY);
        return DeviceRect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    };
    auto dot = [&](const DeviceRect& r) {
        dots_.mark(r);
        ++stats.dots;
    };

    drawing.index().query(
        visible, dust,
        [&](std::uint32_t id) {
            const Box b = drawing.boundsOf(id);
            if (!b.intersects(visible))
                return;
            const DeviceRect r = boxOnScreen(b);
            if (r.width() < kDustPixels && r.height() < kDustPixels) {
                dot(r);
                return;
            }
            std::size_t i = 0;
            switch (drawing.kindOf(id, i)) {
            case ItemKind::Text: {
                const double pixels = drawing.entities.texts[i].height * view.scale;
                if (pixels < kReadablePixels)
                    boxes_.push_back(r);
                else
                    readable_.push_back({static_cast<std::uint32_t>(i), pixels});
                return;
            }
            case ItemKind::Line: {
                const auto& l = drawing.entities.lines[i];
                strokes.segment(view.toScreen(l.a.x, l.a.y), view.toScreen(l.b.x, l.b.y));
                strokes.flush();
                return;
            }
            case ItemKind::Arc: {
                const auto& a = drawing.entities.arcs[i];
                double span = std::fmod(double(a.endDegrees) - a.startDegrees + 720.0, 360.0);
                if (span == 0)
                    span = 360;
                const double radius = a.radius * view.scale;
                if (radius < kFarPixels) {
                    painter.arc(view.toScreen(a.center.x, a.center.y), radius, a.startDegrees, span,
                                stroke);
                    return;
                }
                const int steps = 1440;
                DevicePoint last;
                for (int k = 0; k <= steps; ++k) {
                    const double t =
                        (a.startDegrees + span * k / steps) * (std::numbers::pi / 180.0);
                    const DevicePoint p = view.toScreen(a.center.x + a.radius * std::cos(t),
                                                        a.center.y + a.radius * std::sin(t));
                    if (k)
                        strokes.segment(last, p);
                    last = p;
                }
                strokes.flush();
                return;
            }
            case ItemKind::Polyline: {
                const auto& p = drawing.entities.polylines[i];
                const auto& v0 = drawing.entities.vertices[p.first];
                const DevicePoint first = view.toScreen(v0.x, v0.y);
                DevicePoint last = first;
                for (std::uint32_t k = 1; k < p.count; ++k) {
                    const auto& v = drawing.entities.vertices[p.first + k];
                    const DevicePoint next = view.toScreen(v.x, v.y);
                    strokes.segment(last, next);
                    last = next;
                }
                if (p.closed && p.count > 2)
                    strokes.segment(last, first);
                strokes.flush();
                return;
            }
            case ItemKind::Insert:
                return; // a block reference: not drawn yet
            }
        },
        [&](const drawing::NodeBox& b) {
            dot(boxOnScreen({b.minX, b.minY, b.maxX, b.maxY}));
        });

    // Past the budget the smallest readable texts join the boxes.
    if (readable_.size() > kTextBudget) {
        std::nth_element(
            readable_.begin(), readable_.begin() + kTextBudget, readable_.end(),
            [](const Candidate& a, const Candidate& b) { return a.pixels > b.pixels; });
        for (std::size_t k = kTextBudget; k < readable_.size(); ++k)
            boxes_.push_back(boxOnScreen(drawing.boundsOf(readable_[k].text)));
        readable_.resize(kTextBudget);
    }
    stats.textsBoxed = boxes_.size();
    for (DeviceRect& r : boxes_)
        r = intersected(r, screen);
    std::erase_if(boxes_, [](const DeviceRect& r) { return !(r.width() > 0 && r.height() > 0); });
    if (!boxes_.empty())
        painter.fillRects(boxes_, style_.box);

    const double tooTall = kTooTallViews * std::max(view.size.width, view.size.height);
    for (const Candidate& c : readable_) {
        if (c.pixels > tooTall)
            continue; // taller than the view many times over: nothing of it would show
        const drawing::TextRecord& t = drawing.entities.texts[c.text];
        const std::u16string& text = cache.text(drawing, c.text);
        // The lines, and the widest one, in ems.
        lines_.clear();
        double widest = 0;
        for (std::size_t from = 0;;) {
            const std::size_t end = t.isMText() ? text.find(u'\n', from) : std::u16string::npos;
            const std::u16string_view line = std::u16string_view(text).substr(
                from, end == std::u16string::npos ? end : end - from);
            lines_.push_back({line, 0, 0});
            widest = std::max(widest, painter.advance(line));
            if (end == std::u16string::npos)
                break;
            from = end + 1;
        }
        const double wf = t.isMText() ? 1.0 : std::max(t.widthFactor(), 0.01);
        const double em = t.height / kCapPerEm; // drawing units
        const drawing::TextFrame frame =
            drawing::textFrame(t, widest * em * wf, static_cast<int>(lines_.size()));
        for (std::size_t j = 0; j < lines_.size(); ++j) {
            const double baseline = frame.firstBaseline -
                                    static_cast<double>(j) * drawing::kMTextLineSpacing * t.height;
            lines_[j].x = frame.left * view.scale;
            lines_[j].y = -baseline * view.scale;
        }
        GlyphRun run;
        run.origin = view.toScreen(t.x, t.y);
        run.emPixels = em * view.scale;
        run.rotationDegrees = t.rotationDegrees();
        run.xScale = wf;
        run.color = style_.text;
        run.lines = lines_;
        painter.glyphRun(run);
        ++stats.textsDrawn;
    }
    if (dots_.any())
        painter.dots(dots_, style_.dot);
    return stats;
}

} // namespace quillet::scene
