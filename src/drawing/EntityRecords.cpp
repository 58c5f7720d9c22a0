// Making records: a text's alignment and OCS, the outline of a curve or a solid, a block
// reference in the world's plan.
#include "EntityRecords.h"

#include "Numbers.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillet::drawing {

namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

std::uint16_t turnOf(double degrees) noexcept {
    if (degrees == 0)
        return 0;
    double turns = std::fmod(degrees / 360.0, 1.0);
    if (turns < 0)
        turns += 1.0;
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(std::lround(turns * 65536.0)) &
                                      0xFFFF);
}

// The points of a curve being made, used again from entity to entity.
std::vector<Point>& scratch() {
    static thread_local std::vector<Point> points;
    points.clear();
    return points;
}

void keepArc(Entities& into, EntityKind kind, const PendingEntity& e) {
    if (e.bad || e.radius < 0)
        return void(++into.skipped);
    const Ocs o = e.ocs();
    const bool circle = kind == EntityKind::Circle;
    double start = circle ? 0 : e.startAngle, end = circle ? 360 : e.endAngle;
    Point c = e.at;
    if (!o.isWorld() && !o.isMirror()) {
        // Seen at a slant: an ellipse in plan, kept as its outline.
        std::vector<Point>& points = scratch();
        appendArc(points, c, e.radius, start, end);
        keepPolyline(into, points, circle ? PolylineRecord::kClosed : 0, e.look, &o);
        return;
    }
    if (o.isMirror()) {
        c.x = -c.x;
        if (!circle) {
            const double s = 180 - end, t = 180 - start;
            start = s;
            end = t;
        }
    }
    if (circle)
        into.arcs.push_back({c, e.radius, 0.0f, 360.0f, e.look});
    else
        into.arcs.push_back({c, e.radius, static_cast<float>(std::fmod(start, 360.0)),
                             static_cast<float>(std::fmod(end, 360.0)), e.look});
}

void keepEllipse(Entities& into, const PendingEntity& e) {
    if (e.bad || !(std::fabs(e.axisRatio) > 0))
        return void(++into.skipped);
    // Points are the world's; the minor axis is the extrusion across the major one.
    const Point major = e.second;
    const double sign = e.extrusionZ < 0 ? -1 : 1;
    const Point minor{-major.y * e.axisRatio * sign, major.x * e.axisRatio * sign};
    std::vector<Point>& points = scratch();
    const double start = e.startParameter.value_or(0);
    const double end = e.endParameter.value_or(2 * std::numbers::pi);
    appendEllipse(points, e.at, major, minor, start, end);
    const bool whole = std::fabs(std::fabs(end - start) - 2 * std::numbers::pi) < 1e-9;
    keepPolyline(into, points, whole ? PolylineRecord::kClosed : 0, e.look, nullptr);
}

void keepLwPolyline(Entities& into, const PendingEntity& e, const PendingLists& lists) {
    const std::vector<Point>& vertices = lists.points;
    if (e.bad || vertices.empty())
        return void(e.bad ? ++into.skipped : 0);
    const bool closed = e.flags & 1;
    std::vector<Point>& points = scratch();
    points.push_back(vertices[0]);
    for (std::size_t k = 1; k < vertices.size(); ++k)
        appendBulge(points, vertices[k - 1], vertices[k], lists.bulges[k - 1]);
    if (closed && vertices.size() > 1 && lists.bulges.back() != 0) {
        appendBulge(points, vertices.back(), vertices[0], lists.bulges.back());
        points.pop_back(); // the start again: closing draws that segment
    }
    const Ocs o = e.ocs();
    keepPolyline(into, points, closed ? PolylineRecord::kClosed : 0, e.look, &o);
}

void keepCorners(Entities& into, EntityKind kind, const PendingEntity& e) {
    if (e.bad)
        return void(++into.skipped);
    // A solid's third and fourth corners are given crosswise.
    const bool solid = kind == EntityKind::Solid;
    std::vector<Point>& points = scratch();
    points.push_back(e.at);
    points.push_back(e.second);
    const Point fourth = e.haveFourth ? e.fourth : e.third;
    points.push_back(solid ? fourth : e.third);
    points.push_back(solid ? e.third : fourth);
    const Ocs o = e.ocs();
    keepPolyline(into, points, PolylineRecord::kClosed | (solid ? PolylineRecord::kFilled : 0),
                 e.look, solid ? &o : nullptr);
}

void keepSpline(Entities& into, const PendingEntity& e, const PendingLists& lists) {
    if (e.bad)
        return void(++into.skipped);
    std::vector<Point>& points = scratch();
    if (!appendSpline(points, e.degree, lists.knots, lists.points, lists.weights)) {
        points.clear();
        if (lists.fit.size() >= 2)
            appendThrough(points, lists.fit);
        else
            points = lists.points; // the control polygon is better than nothing
    }
    keepPolyline(into, points, (e.flags & 1) ? PolylineRecord::kClosed : 0, e.look, nullptr);
}

// A clipping boundary of two points is the rectangle they span.
void boundaryOutline(const std::vector<Point>& boundary, std::vector<Point>& out) {
    if (boundary.size() == 2) {
        const Point a = boundary[0], b = boundary[1];
        out.insert(out.end(), {a, {b.x, a.y}, b, {a.x, b.y}});
        return;
    }
    out = boundary;
    if (out.size() > 2 && out.front().x == out.back().x && out.front().y == out.back().y)
        out.pop_back(); // closing draws that side
}

// An IMAGE's frame, whatever its file holds (the file is never opened): its clipping boundary
// when clipping is on, else the rectangle its U and V vectors (one pixel's sides) span by its
// size in pixels. Boundary points are pixels from the top left corner, V pointing down.
void keepImageFrame(Entities& into, const PendingEntity& e, const PendingLists& lists) {
    if (e.bad)
        return void(++into.skipped);
    const Point u = e.second, v = e.third;
    const double width = e.fourth.x, height = e.fourth.y;
    std::vector<Point>& points = scratch();
    if ((e.flags & 1) && lists.points.size() >= 2) {
        static thread_local std::vector<Point> pixels;
        pixels.clear();
        boundaryOutline(lists.points, pixels);
        for (const Point& p : pixels) {
            const double across = p.x + 0.5, up = height - p.y - 0.5;
            points.push_back({e.at.x + u.x * across + v.x * up, e.at.y + u.y * across + v.y * up});
        }
    } else {
        const Point a = e.at;
        const Point b{a.x + u.x * width, a.y + u.y * width};
        const Point d{a.x + v.x * height, a.y + v.y * height};
        points.insert(points.end(), {a, b, {b.x + d.x - a.x, b.y + d.y - a.y}, d});
    }
    const double area = std::fabs((u.x * v.y - u.y * v.x) * width * height);
    if (!(area > 0))
        return into.countNotDrawn("IMAGE");
    keepPolyline(into, points, PolylineRecord::kClosed, e.look, nullptr);
}

// An underlay's frame: its clipping boundary, scaled, turned and placed at its insertion point
// in its OCS. Without one its size is only in the file, which is never opened: it shows
// nothing, and is named among the kinds not drawn.
void keepUnderlayFrame(Entities& into, const PendingEntity& e, const PendingLists& lists) {
    if (e.bad)
        return void(++into.skipped);
    if (lists.points.size() < 2)
        return into.countNotDrawn(e.kindName ? e.kindName : "UNDERLAY");
    std::vector<Point>& points = scratch();
    boundaryOutline(lists.points, points);
    const double sx = e.xScale.value_or(1), sy = e.yScale.value_or(1);
    const double t = e.rotation / kDegrees, c = std::cos(t), s = std::sin(t);
    for (Point& p : points) {
        const double x = p.x * sx, y = p.y * sy;
        p = {e.at.x + x * c - y * s, e.at.y + x * s + y * c};
    }
    const Ocs o = e.ocs();
    keepPolyline(into, points, PolylineRecord::kClosed, e.look, &o);
}

void keepInsert(Entities& into, EntityKind kind, const PendingEntity& e) {
    if (e.bad)
        return void(++into.skipped);
    if (!e.haveName) {
        // A dimension some writers leave without its block is drawn from its points.
        if (kind != EntityKind::Dimension)
            into.countNotDrawn(kind == EntityKind::Table ? "ACAD_TABLE" : "INSERT");
        return;
    }
    InsertRecord r;
    r.name = e.name;
    r.look = e.look;
    if (kind == EntityKind::Dimension) {
        into.inserts.push_back(r); // its block holds the drawn dimension, in world points
        return;
    }
    r.x = e.at.x;
    r.y = e.at.y;
    if (kind == EntityKind::Table) {
        into.inserts.push_back(r);
        return;
    }
    r.xScale = e.xScale.value_or(1);
    r.yScale = e.yScale.value_or(1);
    r.rotationDegrees = e.rotation;
    r.columns = static_cast<std::uint16_t>(std::clamp(e.columns, 1, 0xFFFF));
    r.rows = static_cast<std::uint16_t>(std::clamp(e.rows, 1, 0xFFFF));
    r.columnSpacing = static_cast<float>(e.columnSpacing);
    r.rowSpacing = static_cast<float>(e.rowSpacing);
    const Ocs o = e.ocs();
    if (o.isMirror()) {
        r.x = -r.x;
        r.xScale = -r.xScale;
        r.rotationDegrees = -r.rotationDegrees;
        r.columnSpacing = -r.columnSpacing;
    } else if (!o.isWorld()) {
        const Point p = o.toWorld(r.x, r.y);
        const Point ax = o.toWorld(1, 0), ay = o.toWorld(0, 1);
        r.x = p.x;
        r.y = p.y;
        r.rotationDegrees = o.angleToWorld(r.rotationDegrees);
        r.xScale *= std::hypot(ax.x, ax.y);
        r.yScale *= std::hypot(ay.x, ay.y) * (ax.x * ay.y - ax.y * ay.x < 0 ? -1 : 1);
    }
    into.inserts.push_back(r);
}

} // namespace

void keepPolyline(Entities& into, const std::vector<Point>& points, std::uint16_t flags, Look look,
                  const Ocs* ocs) {
    if (points.empty() || points.size() > UINT32_MAX)
        return;
    PolylineRecord p;
    p.first = into.vertices.size();
    p.count = static_cast<std::uint32_t>(points.size());
    p.look = look;
    p.look.spare = flags;
    p.closed = flags & PolylineRecord::kClosed;
    for (const Point& v : points)
        into.vertices.push_back(ocs && !ocs->isWorld() ? ocs->toWorld(v.x, v.y) : v);
    into.polylines.push_back(p);
}

bool columnsOf(const PendingColumns& p, std::size_t linkedColumns, TextColumns& out) {
    if ((p.type != 1 && p.type != 2) || !(p.width > 0) || !(p.width < kMaxMagnitude))
        return false;
    out = TextColumns{};
    out.width = static_cast<float>(p.width);
    const double gutter = std::clamp(p.gutter, 0.0, kMaxMagnitude);
    out.gutter = static_cast<float>(gutter);
    int count = p.count;
    if (count <= 0 && p.totalWidth > 0) // R2018 leaves it out for dynamic columns of one height
        count = static_cast<int>(
            std::lround(std::min((p.totalWidth + gutter) / (p.width + gutter), 1e4)));
    count = std::max<int>(count, linkedColumns ? static_cast<int>(linkedColumns) + 1 : 0);
    out.count = static_cast<std::uint16_t>(std::clamp(count, 0, 0xFFFF));
    if (!p.heights.empty()) {
        out.heightCount = static_cast<std::uint16_t>(
            std::min<std::size_t>(p.heights.size(), TextColumns::kMostHeights));
        for (std::size_t k = 0; k < out.heightCount; ++k)
            out.heights[k] = static_cast<float>(std::clamp(p.heights[k], 0.0, kMaxMagnitude));
    } else {
        out.height = static_cast<float>(std::clamp(p.definedHeight, 0.0, kMaxMagnitude));
    }
    return true;
}

TextRecord textRecordOf(EntityKind kind, const PendingEntity& e, std::size_t bytes,
                        TextExtra& extra) {
    const bool mtext = kind == EntityKind::MText;
    TextRecord t;
    extra = TextExtra{};
    extra.length = static_cast<std::uint32_t>(bytes);
    extra.look = e.look;
    std::uint8_t flags = 0;
    t.x = e.at.x;
    t.y = e.at.y;
    t.height = static_cast<float>(std::fabs(e.height));
    t.widthMilli = e.widthFactor == 1
                       ? 1000
                       : static_cast<std::uint16_t>(
                             std::lround(std::clamp(std::fabs(e.widthFactor), 0.0, 65.0) * 1000.0));
    double rotation = e.rotation;
    const Ocs o = e.ocs();
    if (mtext) {
        flags = TextRecord::kMText;
        if (e.haveSecond && (e.second.x != 0 || e.second.y != 0)) // the direction wins over 50
            rotation = std::atan2(e.second.y, e.second.x) * kDegrees;
        else
            rotation = o.angleToWorld(rotation);
        const int a = e.attachment >= 1 && e.attachment <= 9 ? e.attachment - 1 : 0;
        flags |= static_cast<std::uint8_t>(a % 3);            // left, center, right
        flags |= static_cast<std::uint8_t>((3 - a / 3) << 3); // top, middle, bottom
        extra.wrapWidth = static_cast<float>(std::max(0.0, e.wrapWidth));
        extra.lineSpacing =
            e.lineSpacing > 0 && e.lineSpacing != 1 ? static_cast<float>(e.lineSpacing) : 0.0f;
    } else {
        extra.obliqueDegrees = static_cast<float>(e.oblique);
        extra.mirror = static_cast<std::uint8_t>(e.generation & 6);
        int h = e.halign >= 0 && e.halign <= 5 ? e.halign : 0;
        int v = e.valign >= 0 && e.valign <= 3 ? e.valign : 0;
        if (h == 3 || h == 5)
            v = 0; // aligned and fit texts sit on their baseline
        // An aligned text stands at its alignment point, as CAD programs place it; aligned
        // and fit texts run from the insertion point towards it.
        if ((h != 0 || v != 0) && e.haveSecond) {
            if (h == 3 || h == 5) {
                const double dx = e.second.x - e.at.x, dy = e.second.y - e.at.y;
                if (dx != 0 || dy != 0)
                    rotation = std::atan2(dy, dx) * kDegrees;
                const double length = std::hypot(dx, dy);
                const double natural =
                    0.6 * t.height * static_cast<double>(std::max<std::size_t>(1, extra.length));
                if (natural > 0 && length > 0)
                    t.widthMilli = static_cast<std::uint16_t>(std::lround(
                        std::clamp(length / natural * t.widthFactor(), 0.01, 65.0) * 1000.0));
                h = 0;
            } else {
                t.x = e.second.x;
                t.y = e.second.y;
            }
        }
        if (!o.isWorld()) {
            const Point p = o.toWorld(t.x, t.y);
            t.x = p.x;
            t.y = p.y;
            if (o.isMirror()) {
                rotation = -rotation;
                extra.mirror ^= 2;
            } else {
                rotation = o.angleToWorld(rotation);
            }
        }
        flags |= static_cast<std::uint8_t>(h);
        flags |= static_cast<std::uint8_t>(v << 3);
    }
    t.angle = turnOf(rotation);
    t.packed = static_cast<std::uint64_t>(flags) << TextRecord::kFlagShift;
    return t;
}

void keepText(Entities& into, EntityKind kind, const PendingEntity& e, const TextColumns* columns) {
    if (e.bad || !e.haveText) {
        if (e.bad)
            ++into.skipped;
        return;
    }
    if (kind == EntityKind::Attrib && e.invisible)
        return;
    TextExtra extra;
    const TextRecord t = textRecordOf(kind, e, into.textBytes.currentLength(), extra);
    if (columns && kind == EntityKind::MText) {
        extra.columns = 1;
        extra.wrapWidth = columns->width; // what wraps it without its columns in mind
    }
    keepTextRecord(into, t, extra, columns);
}

void keepTextRecord(Entities& into, TextRecord t, TextExtra extra, const TextColumns* columns) {
    if (!columns)
        extra.columns = 0; // columns are only kept from what is given
    ByteArena& arena = into.textBytes;
    extra.length = static_cast<std::uint32_t>(arena.currentLength());
    const std::string_view bytes = arena.view(arena.currentOffset(), arena.currentLength());
    into.noteTextBytes(bytes);
    const std::uint16_t highs = Entities::highsOf(bytes, t.isMText());
    std::uint8_t flags = t.flags();
    const bool needExtra = extra.length > 0xFFFF || extra.look.colour.value != 0 ||
                           extra.look.layer != 0 || extra.obliqueDegrees != 0 ||
                           extra.wrapWidth != 0 || extra.lineSpacing != 0 || extra.mirror != 0 ||
                           extra.columns != 0;
    if (needExtra) {
        const std::size_t columnBytes = extra.columns ? sizeof(TextColumns) : 0;
        arena.prependRoom(sizeof extra + columnBytes);
        arena.overwrite(arena.currentOffset(), &extra, sizeof extra);
        if (columnBytes)
            arena.overwrite(arena.currentOffset() + sizeof extra, columns, columnBytes);
        flags |= TextRecord::kExtra;
    }
    t.packed = arena.currentOffset() |
               static_cast<std::uint64_t>(std::min<std::uint32_t>(extra.length, 0xFFFF))
                   << TextRecord::kLengthShift |
               static_cast<std::uint64_t>(flags) << TextRecord::kFlagShift;
    into.keepText(t, highs);
}

void keepEntity(Entities& into, EntityKind kind, const PendingEntity& e,
                const PendingLists& lists) {
    switch (kind) {
    case EntityKind::Text:
    case EntityKind::MText:
    case EntityKind::Attrib:
        keepText(into, kind, e);
        return;
    case EntityKind::Line:
        if (e.bad)
            ++into.skipped;
        else
            into.lines.push_back({e.at, e.second, e.look});
        return;
    case EntityKind::Point: {
        if (e.bad)
            return void(++into.skipped);
        const Ocs o = e.ocs();
        std::vector<Point>& points = scratch();
        points.push_back(e.at);
        keepPolyline(into, points, PolylineRecord::kPoint, e.look, &o);
        return;
    }
    case EntityKind::Circle:
    case EntityKind::Arc:
        keepArc(into, kind, e);
        return;
    case EntityKind::Ellipse:
        keepEllipse(into, e);
        return;
    case EntityKind::LwPolyline:
        keepLwPolyline(into, e, lists);
        return;
    case EntityKind::Solid:
    case EntityKind::Face:
        keepCorners(into, kind, e);
        return;
    case EntityKind::Spline:
        keepSpline(into, e, lists);
        return;
    case EntityKind::Leader:
        if (!e.bad && lists.points.size() >= 2)
            keepPolyline(into, lists.points, 0, e.look, nullptr);
        return;
    case EntityKind::XLine:
    case EntityKind::Ray: {
        if (e.bad || (e.second.x == 0 && e.second.y == 0))
            return;
        std::vector<Point>& points = scratch();
        points.push_back(e.at);
        points.push_back({e.at.x + e.second.x, e.at.y + e.second.y});
        keepPolyline(into, points,
                     kind == EntityKind::XLine ? PolylineRecord::kXLine : PolylineRecord::kRay,
                     e.look, nullptr);
        return;
    }
    case EntityKind::Insert:
    case EntityKind::Dimension:
    case EntityKind::Table:
        keepInsert(into, kind, e);
        return;
    case EntityKind::Image:
        keepImageFrame(into, e, lists);
        return;
    case EntityKind::Underlay:
        keepUnderlayFrame(into, e, lists);
        return;
    default:
        return;
    }
}

} // namespace quillet::drawing
