// The scene. Everything goes through the index, so the cost of a view follows what is on
// screen, not the size of the drawing: nodes below dust size become dots, small texts and
// block copies boxes, and only the largest texts and copies up to their budgets are drawn.
// A block is walked through the map of each copy of it that shows; nothing is copied.
#include "Scene.h"

#include "drawing/Colour.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace quillet::scene {

namespace {

using drawing::Affine;
using drawing::Box;
using drawing::Colour;
using drawing::ItemKind;
using drawing::Look;
using drawing::PolylineRecord;

constexpr double kRadians = std::numbers::pi / 180.0;
constexpr int kDeepest = drawing::kDeepestBlocks; // nested blocks deeper than this are left out
// A colour that stands for the ink of the kind being drawn (colour 7, white, BYBLOCK at the
// top), not for an RGB value.
constexpr std::uint32_t kForeground = 0xFF000000u;

bool finite(const DevicePoint& p) noexcept {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Clips the segment a-b to r (Liang-Barsky); false when nothing is left, or when the ends
// are no finite points (a scale near the largest double puts points past it).
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
    // The ends lie in r, but ends far off lose more than r's size in the sums.
    const DevicePoint start = a;
    a = {std::clamp(start.x + dx * t0, r.left, r.right),
         std::clamp(start.y + dy * t0, r.top, r.bottom)};
    b = {std::clamp(start.x + dx * t1, r.left, r.right),
         std::clamp(start.y + dy * t1, r.top, r.bottom)};
    return finite(a) && finite(b);
}

DeviceRect intersected(const DeviceRect& a, const DeviceRect& b) noexcept {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// Returns r grown about its centre to at least one pixel each way.
DeviceRect atLeastAPixel(DeviceRect r) noexcept {
    if (r.width() < 1) {
        const double middle = (r.left + r.right) / 2;
        r.left = middle - 0.5;
        r.right = middle + 0.5;
    }
    if (r.height() < 1) {
        const double middle = (r.top + r.bottom) / 2;
        r.top = middle - 0.5;
        r.bottom = middle + 0.5;
    }
    return r;
}

// Returns the box of box mapped by m.
Box mapped(const Affine& m, const Box& box) noexcept {
    Box out;
    if (box.empty())
        return out;
    for (double x : {box.minX, box.maxX})
        for (double y : {box.minY, box.maxY}) {
            const drawing::Point p = m({x, y});
            out.add(p.x, p.y);
        }
    return out;
}

// Clips the ring in to r (Sutherland-Hodgman) into out: a filled area keeps what shows and
// no device sees coordinates far off the screen.
void clipRing(const std::vector<DevicePoint>& in, std::size_t from, std::size_t n,
              const DeviceRect& r, std::vector<DevicePoint>& out, std::vector<DevicePoint>& tmp) {
    tmp.assign(in.begin() + static_cast<std::ptrdiff_t>(from),
               in.begin() + static_cast<std::ptrdiff_t>(from + n));
    for (int edge = 0; edge < 4 && !tmp.empty(); ++edge) {
        auto inside = [&](const DevicePoint& p) {
            switch (edge) {
            case 0:
                return p.x >= r.left;
            case 1:
                return p.x <= r.right;
            case 2:
                return p.y >= r.top;
            default:
                return p.y <= r.bottom;
            }
        };
        // Where a-b crosses the edge, on it exactly: far points lose more than the view's
        // size in the sums.
        auto cross = [&](const DevicePoint& a, const DevicePoint& b) {
            if (edge < 2) {
                const double x = edge == 0 ? r.left : r.right;
                return DevicePoint{x, a.y + (b.y - a.y) * ((x - a.x) / (b.x - a.x))};
            }
            const double y = edge == 2 ? r.top : r.bottom;
            return DevicePoint{a.x + (b.x - a.x) * ((y - a.y) / (b.y - a.y)), y};
        };
        out.clear();
        for (std::size_t k = 0; k < tmp.size(); ++k) {
            const DevicePoint& a = tmp[k];
            const DevicePoint& b = tmp[(k + 1) % tmp.size()];
            if (inside(a)) {
                out.push_back(a);
                if (!inside(b))
                    out.push_back(cross(a, b));
            } else if (inside(b)) {
                out.push_back(cross(a, b));
            }
        }
        tmp.swap(out);
    }
    out.swap(tmp);
}

// Gathers clipped segments into polylines: a segment that starts where the last one ended in
// the same ink continues it, any other starts a new one. Uses the scene's buffer; flush()
// hands what is gathered to the painter.
class Strokes {
  public:
    Strokes(std::vector<DevicePoint>& points, const DeviceRect& screen, Painter& painter)
        : points_(points), screen_(screen), painter_(painter) {
        points_.clear();
    }
    void segment(DevicePoint a, DevicePoint b, Color color) {
        if (!clip(a, b, screen_)) {
            flush();
            return;
        }
        if (points_.empty() || !(stroke_.color == color) || points_.back().x != a.x ||
            points_.back().y != a.y) {
            flush();
            stroke_.color = color;
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
    Stroke stroke_;
    Painter& painter_;
};

} // namespace

// One call of draw: the view, the painter, what is left of the block budget.
struct Scene::Pass {
    Scene& scene;
    const drawing::Drawing& d;
    const ViewTransform& view;
    TextCache& cache;
    Painter& painter;
    PaintStats& stats;
    DeviceRect screen{-2, -2, view.size.width + 2, view.size.height + 2};
    Box visible = view.visibleBox(2);
    double dust = kDustPixels / view.scale;
    Strokes strokes{scene.points_, screen, painter};
    std::size_t work = scene.limits_.blockWork;

    // Takes units of work from what is left of the block budget.
    void spend(std::size_t units) noexcept { work -= std::min(work, units); }

    DevicePoint at(const Affine& m, drawing::Point p) const noexcept {
        const drawing::Point w = m(p);
        return view.toScreen(w.x, w.y);
    }
    DeviceRect onScreen(const Box& b) const noexcept {
        const DevicePoint topLeft = view.toScreen(b.minX, b.maxY);
        const DevicePoint bottomRight = view.toScreen(b.maxX, b.minY);
        return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    }
    static bool tiny(const DeviceRect& r, double pixels) noexcept {
        return r.width() < pixels && r.height() < pixels;
    }
    void dot(const DeviceRect& r) {
        scene.dots_.mark(r);
        ++stats.dots;
    }

    // Returns the RGB of colour c on layer, inside an insert whose colour is byBlock, or
    // kForeground for the ink of the kind.
    std::uint32_t resolved(Colour c, std::uint16_t layer, std::uint32_t byBlock) const noexcept {
        switch (c.kind()) {
        case Colour::kByBlock:
            return byBlock;
        case Colour::kTrue:
            return c.value & 0xFFFFFF;
        case Colour::kIndex:
            return (c.value & 0xFF) == 7 ? kForeground : drawing::aciRgb(c.value & 0xFF);
        default: {
            const auto& layers = d.entities.layers;
            if (layer >= layers.size())
                return kForeground;
            const Colour own = layers[layer].colour;
            if (own.kind() == Colour::kTrue)
                return own.value & 0xFFFFFF;
            const int aci = static_cast<int>(own.value & 0xFF);
            return aci == 7 || aci == 0 ? kForeground : drawing::aciRgb(aci);
        }
        }
    }
    // Returns the ink of look inside an insert of colour byBlock: the kind's own ink for
    // colour 7 and white, and a near-white colour darkened to show on the light background.
    Color ink(const Look& look, std::uint32_t byBlock, Color foreground) const noexcept {
        const std::uint32_t rgb = resolved(look.colour, look.layer, byBlock);
        if (rgb == kForeground || rgb == 0xFFFFFF)
            return foreground;
        double r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        const double light = 0.299 * r + 0.587 * g + 0.114 * b;
        constexpr double kPalest = 170;
        if (light > kPalest) {
            const double k = kPalest / light;
            r *= k, g *= k, b *= k;
        }
        return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                static_cast<std::uint8_t>(b), 255};
    }
    Color lineInk(const Look& look, std::uint32_t byBlock) const noexcept {
        return ink(look, byBlock, scene.style_.line);
    }
    // Inside a block, layer 0 takes the insert's layer (BYBLOCK takes its colour in ink()).
    static Look inherited(Look own, const Look* parent) noexcept {
        if (parent && own.layer == 0)
            own.layer = parent->layer;
        return own;
    }

    void line(const drawing::LineRecord& l, const Affine& m, Color color) {
        strokes.segment(at(m, l.a), at(m, l.b), color);
        strokes.flush();
    }

    // Returns the points it worked out: one for an arc the painter draws, its steps else.
    std::size_t arc(const drawing::ArcRecord& a, const Affine& m, Color color) {
        double span = std::fmod(double(a.endDegrees) - a.startDegrees + 720.0, 360.0);
        if (span == 0)
            span = 360;
        double start = a.startDegrees;
        const double k = std::hypot(m.a, m.b);
        const double eps = 1e-9 * (k + 1);
        // A map that keeps circles round: a turn and a scale, or those and a mirror.
        const bool turn = std::fabs(m.a - m.d) < eps && std::fabs(m.b + m.c) < eps;
        const bool mirror = std::fabs(m.a + m.d) < eps && std::fabs(m.b - m.c) < eps;
        const double radius = a.radius * k * view.scale;
        if ((turn || mirror) && radius < kFarPixels) {
            const double phi = std::atan2(m.b, m.a) / kRadians;
            start = turn ? start + phi : phi - (start + span);
            strokes.flush();
            painter.arc(at(m, a.center), radius, start, span, {color, 0});
            return 1;
        }
        const int steps = radius < kFarPixels
                              ? std::clamp(static_cast<int>(std::sqrt(radius) * span / 45), 8, 256)
                              : 1440;
        DevicePoint last;
        for (int s = 0; s <= steps; ++s) {
            const double t = (start + span * s / steps) * kRadians;
            const DevicePoint p =
                at(m, {a.center.x + a.radius * std::cos(t), a.center.y + a.radius * std::sin(t)});
            if (s)
                strokes.segment(last, p, color);
            last = p;
        }
        strokes.flush();
        return static_cast<std::size_t>(steps) + 1;
    }

    // An endless line through the view: both ways for an XLINE, one for a RAY.
    void endless(const drawing::Entities& e, const PolylineRecord& p, const Affine& m,
                 Color color) {
        if (p.count < 2)
            return;
        const DevicePoint a = at(m, e.vertices[p.first]), b = at(m, e.vertices[p.first + 1]);
        const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
        if (!(length > 0) || !std::isfinite(length))
            return;
        const double reach = (std::hypot(a.x - view.size.width / 2, a.y - view.size.height / 2) +
                              view.size.width + view.size.height) /
                             length;
        const bool ray = p.flags() & PolylineRecord::kRay;
        const DevicePoint from = ray ? a : DevicePoint{a.x - dx * reach, a.y - dy * reach};
        strokes.segment(from, {a.x + dx * reach, a.y + dy * reach}, color);
        strokes.flush();
    }

    // Fills polyline i of e and the holes and islands that follow it, by the even-odd rule.
    // Returns the number of their points.
    std::size_t fill(const drawing::Entities& e, std::size_t i, const Affine& m, Color color) {
        auto& points = scene.fillPoints_;
        auto& rings = scene.rings_;
        points.clear();
        rings.clear();
        std::size_t vertices = 0;
        for (std::size_t j = i; j < e.polylines.size(); ++j) {
            const PolylineRecord& p = e.polylines[j];
            if (j > i && !(p.flags() & PolylineRecord::kContinues))
                break;
            const std::size_t from = points.size();
            vertices += p.count;
            for (std::uint32_t k = 0; k < p.count; ++k)
                points.push_back(at(m, e.vertices[p.first + k]));
            // The ring as it shows takes the place of the whole one.
            clipRing(points, from, p.count, screen, scene.clipped_, scene.clipScratch_);
            points.resize(from);
            // A scale near the largest double puts points past it: no shape left to fill.
            const bool known = std::all_of(scene.clipped_.begin(), scene.clipped_.end(),
                                           [](const DevicePoint& q) { return finite(q); });
            if (known && scene.clipped_.size() >= 3) {
                points.insert(points.end(), scene.clipped_.begin(), scene.clipped_.end());
                rings.push_back(static_cast<std::uint32_t>(scene.clipped_.size()));
            }
        }
        if (!rings.empty())
            painter.fill(points, rings, color);
        return vertices;
    }

    // Returns the number of vertices it looked at.
    std::size_t polyline(const drawing::Entities& e, std::size_t i, const Affine& m, Color color) {
        const PolylineRecord& p = e.polylines[i];
        const std::uint16_t flags = p.flags();
        if (flags & (PolylineRecord::kXLine | PolylineRecord::kRay)) {
            endless(e, p, m, color);
            return 2;
        }
        if (flags & PolylineRecord::kPoint) {
            const DevicePoint q = at(m, e.vertices[p.first]);
            dot({q.x - 0.5, q.y - 0.5, q.x + 0.5, q.y + 0.5});
            return 1;
        }
        if (flags & (PolylineRecord::kFilled | PolylineRecord::kLightFill)) {
            strokes.flush();
            if (flags & PolylineRecord::kLightFill)
                color.a = scene.style_.lightFill;
            return fill(e, i, m, color);
        }
        if (p.count == 0)
            return 0;
        const DevicePoint first = at(m, e.vertices[p.first]);
        DevicePoint last = first;
        for (std::uint32_t k = 1; k < p.count; ++k) {
            const DevicePoint next = at(m, e.vertices[p.first + k]);
            strokes.segment(last, next, color);
            last = next;
        }
        if (p.closed && p.count > 2)
            strokes.segment(last, first, color);
        strokes.flush();
        return p.count;
    }

    // A text of block (kTopLevel: the drawing's) at map: a dot, a box or a candidate.
    void text(const drawing::Entities& e, std::uint32_t block, std::size_t i, const Affine& m,
              const Look& look, std::uint32_t byBlock, const Box& worldBox) {
        if (!worldBox.intersects(visible))
            return;
        const DeviceRect r = onScreen(worldBox);
        if (tiny(r, kDustPixels)) {
            dot(r);
            return;
        }
        const drawing::TextRecord& t = e.texts[i];
        const double up = t.rotationDegrees() * kRadians;
        const double pixels = t.height * view.scale *
                              std::hypot(-m.a * std::sin(up) + m.c * std::cos(up),
                                         -m.b * std::sin(up) + m.d * std::cos(up));
        if (pixels < kReadablePixels)
            scene.boxes_.push_back(r);
        else
            scene.readable_.push_back({block, static_cast<std::uint32_t>(i), pixels, m,
                                       ink(look, byBlock, scene.style_.text), r});
    }

    // Calls each(column, row, map, rect) for every copy of insert r (inside a block at m) that
    // shows and is large enough to walk; smaller ones become dots and boxes here. Inside a
    // block every copy looked at takes one from the budget, and once it is spent the rest of
    // the array is one box: dots cost time too.
    template <class Each>
    void forCopies(const drawing::InsertRecord& r, const drawing::Block& block,
                   std::uint32_t blockNo, const Affine& m, bool inBlock, Each&& each) {
        const Box& inner = d.blockExtents(blockNo);
        if (inner.empty())
            return;
        const Affine first = m * drawing::insertTransform(r, block.base);
        const Box box0 = mapped(first, inner);
        int c0 = 0, c1 = r.columns - 1, r0 = 0, r1 = r.rows - 1;
        if (c1 > 0 || r1 > 0) {
            // The copies that may meet the view: the view's offsets from the first copy in
            // steps of the array's columns and rows.
            const double t = r.rotationDegrees * kRadians;
            const double cs = r.columnSpacing, rs = r.rowSpacing;
            const drawing::Point dc{(m.a * std::cos(t) + m.c * std::sin(t)) * cs,
                                    (m.b * std::cos(t) + m.d * std::sin(t)) * cs};
            const drawing::Point dr{(-m.a * std::sin(t) + m.c * std::cos(t)) * rs,
                                    (-m.b * std::sin(t) + m.d * std::cos(t)) * rs};
            if (cs == 0)
                c1 = 0; // every column in the same place: one shows them all
            if (rs == 0)
                r1 = 0;
            const double det = dc.x * dr.y - dc.y * dr.x;
            const Box offsets{visible.minX - box0.maxX, visible.minY - box0.maxY,
                              visible.maxX - box0.minX, visible.maxY - box0.minY};
            if (cs != 0 && rs != 0 && std::fabs(det) > 0) {
                double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
                for (double x : {offsets.minX, offsets.maxX})
                    for (double y : {offsets.minY, offsets.maxY}) {
                        const double u = (x * dr.y - y * dr.x) / det;
                        const double v = (dc.x * y - dc.y * x) / det;
                        lo[0] = std::min(lo[0], u), hi[0] = std::max(hi[0], u);
                        lo[1] = std::min(lo[1], v), hi[1] = std::max(hi[1], v);
                    }
                c0 = std::max(c0, static_cast<int>(std::clamp(std::floor(lo[0]), -1.0, 7e4)));
                c1 = std::min(c1, static_cast<int>(std::clamp(std::ceil(hi[0]), -1.0, 7e4)));
                r0 = std::max(r0, static_cast<int>(std::clamp(std::floor(lo[1]), -1.0, 7e4)));
                r1 = std::min(r1, static_cast<int>(std::clamp(std::ceil(hi[1]), -1.0, 7e4)));
            } else if (cs != 0 || rs != 0) {
                const drawing::Point step = cs != 0 ? dc : dr;
                const double along = step.x * step.x + step.y * step.y;
                double lo = 1e300, hi = -1e300;
                for (double x : {offsets.minX, offsets.maxX})
                    for (double y : {offsets.minY, offsets.maxY}) {
                        const double u = along > 0 ? (x * step.x + y * step.y) / along : 0;
                        lo = std::min(lo, u), hi = std::max(hi, u);
                    }
                int& a = cs != 0 ? c0 : r0;
                int& b = cs != 0 ? c1 : r1;
                a = std::max(a, static_cast<int>(std::clamp(std::floor(lo), -1.0, 7e4)));
                b = std::min(b, static_cast<int>(std::clamp(std::ceil(hi), -1.0, 7e4)));
            }
            if (c0 > c1 || r0 > r1)
                return;
            const auto count =
                static_cast<std::size_t>(c1 - c0 + 1) * static_cast<std::size_t>(r1 - r0 + 1);
            if (count > scene.limits_.mostCopies) {
                boxWhole(r, m);
                return;
            }
        }
        for (int col = c0; col <= c1; ++col)
            for (int row = r0; row <= r1; ++row) {
                if (inBlock) {
                    if (!work)
                        return boxWhole(r, m);
                    spend(1);
                }
                const Affine map = m * drawing::insertTransform(r, block.base, col, row);
                const Box world = mapped(map, inner);
                if (!world.intersects(visible))
                    continue;
                const DeviceRect rect = onScreen(world);
                if (tiny(rect, kDustPixels)) {
                    dot(rect);
                } else if (tiny(rect, kCopyBoxPixels)) {
                    scene.copyBoxes_.push_back(rect);
                    ++stats.copiesBoxed;
                } else {
                    each(col, row, map, rect);
                }
            }
    }

    // Draws every copy of insert r (inside a block at m) as one box.
    void boxWhole(const drawing::InsertRecord& r, const Affine& m) {
        scene.copyBoxes_.push_back(intersected(onScreen(mapped(m, d.insertBounds(r))), screen));
        ++stats.copiesBoxed;
    }

    // Draws the entities of block blockNo (e) at map m, inside an insert of look parent and
    // colour byBlock, while the budget lasts: each record takes one from it, and what drawing
    // it took besides (a polyline's vertices, an arc's steps).
    void walk(const drawing::Entities& e, std::uint32_t blockNo, const Affine& m,
              const Look& parent, std::uint32_t byBlock, int depth) {
        ++stats.copiesDrawn;
        for (std::size_t i = 0; i < e.lines.size() && work; ++i) {
            spend(1);
            const Look look = inherited(e.lines[i].look, &parent);
            if (!d.hidden(look))
                line(e.lines[i], m, lineInk(look, byBlock));
        }
        for (std::size_t i = 0; i < e.arcs.size() && work; ++i) {
            spend(1);
            const drawing::ArcRecord& a = e.arcs[i];
            const Look look = inherited(a.look, &parent);
            if (d.hidden(look))
                continue;
            const Box world = mapped(m, {a.center.x - a.radius, a.center.y - a.radius,
                                         a.center.x + a.radius, a.center.y + a.radius});
            if (!world.intersects(visible))
                continue;
            const DeviceRect r = onScreen(world);
            if (tiny(r, kDustPixels))
                dot(r);
            else
                spend(arc(a, m, lineInk(look, byBlock)));
        }
        for (std::size_t i = 0; i < e.polylines.size() && work; ++i) {
            spend(1);
            const PolylineRecord& p = e.polylines[i];
            const Look look = inherited(p.look, &parent);
            if (!(p.flags() & PolylineRecord::kContinues) && !d.hidden(look))
                spend(polyline(e, i, m, lineInk(look, byBlock)));
        }
        for (std::size_t i = 0; i < e.texts.size() && work; ++i) {
            spend(1);
            const Look look = inherited(e.textLook(i), &parent);
            if (!d.hidden(look))
                text(e, blockNo, i, m, look, byBlock, mapped(m, drawing::estimatedTextBox(e, i)));
        }
        if (depth >= kDeepest)
            return;
        for (std::size_t i = 0; i < e.inserts.size() && work; ++i) {
            spend(1);
            const drawing::InsertRecord& r = e.inserts[i];
            const drawing::Block* block = d.blockOf(r);
            const Look look = inherited(r.look, &parent);
            if (!block || d.hidden(look))
                continue;
            const std::uint32_t colour = resolved(look.colour, look.layer, byBlock);
            forCopies(r, *block, r.block, m, true,
                      [&](int, int, const Affine& map, DeviceRect rect) {
                          if (!work) {
                              scene.copyBoxes_.push_back(rect);
                              ++stats.copiesBoxed;
                              return;
                          }
                          walk(*block->entities, r.block, map, look, colour, depth + 1);
                      });
        }
    }

    // Returns whether the fill that polyline i of the drawing continues is drawn by an
    // earlier part of it that the index hands over in this view.
    bool fillDrawnElsewhere(std::size_t i) const {
        const auto& polylines = d.entities.polylines;
        std::size_t head = i;
        while (head > 0 && (polylines[head].flags() & PolylineRecord::kContinues))
            --head;
        const auto firstItem =
            d.entities.texts.size() + d.entities.lines.size() + d.entities.arcs.size();
        for (std::size_t j = head; j < i; ++j)
            if (d.boundsOf(static_cast<std::uint32_t>(firstItem + j)).intersects(visible))
                return true;
        return false;
    }

    // An item of the drawing's own, as the index hands it over.
    void item(std::uint32_t id) {
        const Box b = d.boundsOf(id);
        if (!b.intersects(visible))
            return;
        std::size_t i = 0;
        const ItemKind kind = d.kindOf(id, i);
        const auto& e = d.entities;
        Look look;
        switch (kind) {
        case ItemKind::Text:
            look = e.textLook(i);
            break;
        case ItemKind::Line:
            look = e.lines[i].look;
            break;
        case ItemKind::Arc:
            look = e.arcs[i].look;
            break;
        case ItemKind::Polyline:
            look = e.polylines[i].look;
            break;
        case ItemKind::Insert:
            look = e.inserts[i].look;
            break;
        }
        if (d.hidden(look))
            return;
        const DeviceRect r = onScreen(b);
        if (tiny(r, kDustPixels)) {
            dot(r);
            return;
        }
        const Affine identity;
        switch (kind) {
        case ItemKind::Text:
            text(e, TextCache::kTopLevel, i, identity, look, kForeground, b);
            return;
        case ItemKind::Line:
            line(e.lines[i], identity, lineInk(look, kForeground));
            return;
        case ItemKind::Arc:
            arc(e.arcs[i], identity, lineInk(look, kForeground));
            return;
        case ItemKind::Polyline: {
            const std::uint16_t flags = e.polylines[i].flags();
            if (flags & (PolylineRecord::kXLine | PolylineRecord::kRay))
                return; // drawn apart, wherever their base lies
            if ((flags & PolylineRecord::kContinues) && !fillDrawnElsewhere(i)) {
                std::size_t head = i;
                while (head > 0 && (e.polylines[head].flags() & PolylineRecord::kContinues))
                    --head;
                polyline(e, head, identity, lineInk(e.polylines[head].look, kForeground));
                return;
            }
            if (!(flags & PolylineRecord::kContinues))
                polyline(e, i, identity, lineInk(look, kForeground));
            return;
        }
        case ItemKind::Insert: {
            const drawing::InsertRecord& ins = e.inserts[i];
            const drawing::Block* block = d.blockOf(ins);
            if (!block)
                return;
            forCopies(ins, *block, ins.block, identity, false,
                      [&](int col, int row, const Affine&, DeviceRect rect) {
                          scene.copies_.push_back({static_cast<std::uint32_t>(i),
                                                   static_cast<std::uint32_t>(col),
                                                   static_cast<std::uint32_t>(row),
                                                   std::max(rect.width(), rect.height())});
                      });
            return;
        }
        }
    }

    // The copies of the drawing's inserts, largest first while the budget lasts.
    void copies() {
        auto& copies = scene.copies_;
        std::sort(copies.begin(), copies.end(),
                  [](const Copy& a, const Copy& b) { return a.pixels > b.pixels; });
        for (const Copy& c : copies) {
            const drawing::InsertRecord& r = d.entities.inserts[c.insert];
            const drawing::Block& block = *d.blockOf(r);
            const Affine map = drawing::insertTransform(r, block.base, static_cast<int>(c.column),
                                                        static_cast<int>(c.row));
            if (!work) {
                scene.copyBoxes_.push_back(onScreen(mapped(map, d.blockExtents(r.block))));
                ++stats.copiesBoxed;
                continue;
            }
            spend(1);
            const Look look = r.look;
            walk(*block.entities, r.block, map, look,
                 resolved(look.colour, look.layer, kForeground), 1);
        }
    }

    void endlessLines() {
        auto& list = scene.endless_;
        const auto& polylines = d.entities.polylines;
        if (scene.endlessOf_ != &d || scene.endlessPolylines_ != polylines.size()) {
            list.clear();
            for (std::size_t i = 0; i < polylines.size(); ++i)
                if (polylines[i].flags() & (PolylineRecord::kXLine | PolylineRecord::kRay))
                    list.push_back(static_cast<std::uint32_t>(i));
            scene.endlessOf_ = &d;
            scene.endlessPolylines_ = polylines.size();
        }
        for (std::uint32_t i : list) {
            const Look look = polylines[i].look;
            if (!d.hidden(look))
                endless(d.entities, polylines[i], Affine{}, lineInk(look, kForeground));
        }
    }

    // Draws candidate c in the font: its lines laid out by the painter's measure, turned,
    // stretched and mirrored as its map and flags say.
    void glyphs(const Candidate& c, const TextMeasure& measure) {
        const drawing::Entities& owner =
            c.block == TextCache::kTopLevel ? d.entities : *d.entities.blocks[c.block].entities;
        const drawing::TextRecord& t = owner.texts[c.text];
        const drawing::TextExtra extra = owner.textExtra(c.text);
        const std::u16string& decoded = cache.text(d, c.block, c.text);
        auto& lines = scene.lines_;
        std::optional<drawing::TextColumns> columns;
        if (extra.columns)
            columns = owner.textColumns(c.text);
        layOutText(t, extra, decoded, measure, lines, columns ? &*columns : nullptr);
        const Affine& m = c.map;
        const double r = t.rotationDegrees() * kRadians;
        const double ux = m.a * std::cos(r) + m.c * std::sin(r),
                     uy = m.b * std::cos(r) + m.d * std::sin(r);
        const double vx = -m.a * std::sin(r) + m.c * std::cos(r),
                     vy = -m.b * std::sin(r) + m.d * std::cos(r);
        const double along = std::hypot(ux, uy) * view.scale,
                     across = std::hypot(vx, vy) * view.scale;
        if (!(along > 0) || !(across > 0))
            return;
        // The text's own mirrors, and the map's: across the baseline when it turns the
        // text's up to the other side.
        const double mx = extra.mirror & 2 ? -1 : 1;
        double my = extra.mirror & 4 ? -1 : 1;
        if (ux * vy - uy * vx < 0)
            my = -my;
        GlyphRun run;
        run.origin = at(m, {t.x, t.y});
        run.rotationDegrees = std::atan2(uy, ux) / kRadians;
        // Upside down is a half turn and a mirror along the baseline.
        const double flip = my < 0 ? -1 : 1;
        if (my < 0)
            run.rotationDegrees += 180;
        const double glyphX = mx * flip;
        for (TextLine& line : lines) {
            const double x = line.x * along * mx, y = -line.y * across * my;
            line.x = x * flip;
            line.y = y * flip;
        }
        const double em = t.height / kCapPerEm;
        const double wf = t.isMText() ? 1.0 : std::max(t.widthFactor(), 0.01);
        run.emPixels = em * across;
        run.xScale = wf * along / across * glyphX;
        run.obliqueDegrees = extra.obliqueDegrees * glyphX;
        run.color = c.color;
        run.lines = lines;
        painter.glyphRun(run);
        ++stats.textsDrawn;
    }

    void texts() {
        auto& readable = scene.readable_;
        auto& boxes = scene.boxes_;
        // Past the budget the smallest readable texts join the boxes.
        const std::size_t budget = scene.limits_.texts;
        if (readable.size() > budget) {
            std::nth_element(
                readable.begin(), readable.begin() + static_cast<std::ptrdiff_t>(budget),
                readable.end(),
                [](const Candidate& a, const Candidate& b) { return a.pixels > b.pixels; });
            for (std::size_t k = budget; k < readable.size(); ++k)
                boxes.push_back(readable[k].box);
            readable.resize(budget);
        }
        stats.textsBoxed = boxes.size();
        for (auto* list : {&boxes, &scene.copyBoxes_}) {
            for (DeviceRect& r : *list)
                r = intersected(r, screen);
            std::erase_if(*list,
                          [](const DeviceRect& r) { return !(r.width() > 0 && r.height() > 0); });
            // A box thinner than a pixel (a long line of small text) is one pixel thick, so
            // that every painter shows it.
            for (DeviceRect& r : *list)
                r = atLeastAPixel(r);
            if (!list->empty())
                painter.fillRects(*list, scene.style_.box);
        }
        const double tooTall = kTooTallViews * std::max(view.size.width, view.size.height);
        const TextMeasure measure = [this](std::u16string_view s) { return painter.advance(s); };
        for (const Candidate& c : readable)
            if (c.pixels <= tooTall) // taller than the view many times over: nothing shows
                glyphs(c, measure);
    }
};

PaintStats Scene::draw(const drawing::Drawing& drawing, const ViewTransform& view, TextCache& cache,
                       Painter& painter) {
    PaintStats stats;
    // A view no pixel can be worked out in (a scale, centre or size that is no finite number,
    // a scale or size not above zero) shows nothing.
    const bool finite = std::isfinite(view.scale) && std::isfinite(view.centerX) &&
                        std::isfinite(view.centerY) && std::isfinite(view.size.width) &&
                        std::isfinite(view.size.height);
    if (!finite || !(view.scale > 0) || !(view.size.width > 0) || !(view.size.height > 0))
        return stats;
    readable_.clear();
    boxes_.clear();
    copyBoxes_.clear();
    copies_.clear();
    dots_.reset(view.size);
    Pass pass{*this, drawing, view, cache, painter, stats};
    drawing.index().query(
        pass.visible, pass.dust, [&](std::uint32_t id) { pass.item(id); },
        [&](const drawing::NodeBox& b) {
            pass.dot(pass.onScreen({b.minX, b.minY, b.maxX, b.maxY}));
        });
    pass.copies();
    pass.endlessLines();
    pass.texts();
    if (dots_.any())
        painter.dots(dots_, style_.dot);
    return stats;
}

PaintStats drawOnce(const drawing::Drawing& drawing, const ViewTransform& view, Painter& painter) {
    Scene scene;
    TextCache cache;
    return scene.draw(drawing, view, cache, painter);
}

} // namespace quillet::scene
