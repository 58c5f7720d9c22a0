// A hatch's boundary paths. A polyline path is its vertices and bulges; an edge path is its
// edges in order, each line, arc, elliptic arc or spline appended to the one before.
#include "Hatch.h"

#include "Shapes.h"

#include <algorithm>
#include <numbers>

namespace quillet::drawing {

namespace {

// The numbers of one edge of a boundary path.
struct Edge {
    int type = 0;
    double v[8] = {}; // 10 20 11 21 40 50 51 73
    std::vector<double> knots, weights;
    std::vector<Point> control, fit;
    int degree = 3;
};

void appendEdge(std::vector<Point>& out, const Edge& e) {
    const double* v = e.v;
    switch (e.type) {
    case 1:
        if (out.empty())
            out.push_back({v[0], v[1]});
        out.push_back({v[2], v[3]});
        return;
    case 2:
    case 3: {
        const bool ccw = v[7] != 0;
        double s = v[5], t = v[6];
        std::vector<Point> pts;
        if (!ccw) {
            s = 360 - v[6];
            t = 360 - v[5];
        }
        if (e.type == 2) {
            appendArc(pts, {v[0], v[1]}, v[4], s, t);
        } else {
            const Point major{v[2], v[3]};
            const Point minor{-major.y * v[4], major.x * v[4]};
            constexpr double k = std::numbers::pi / 180;
            appendEllipse(pts, {v[0], v[1]}, major, minor, s * k, t * k);
        }
        if (!ccw) {
            std::reverse(pts.begin(), pts.end());
            for (Point& p : pts) // clockwise angles are mirrored about the centre's X axis
                p.y = 2 * v[1] - p.y;
        }
        out.insert(out.end(), pts.begin(), pts.end());
        return;
    }
    case 4:
        if (!appendSpline(out, e.degree, e.knots, e.control, e.weights)) {
            if (e.fit.size() >= 2)
                appendThrough(out, e.fit);
            else
                out.insert(out.end(), e.control.begin(), e.control.end());
        }
        return;
    default:
        return;
    }
}

// Whether r stands past the end of a path: at the next path, or the pattern's or seeds' part.
bool pathEnds(const PairCursor& r) noexcept {
    return r.done() || r.code() == 92 || r.code() == 97 || r.code() == 75;
}

// Reads a polyline path (72 bulges, 73 closed, 93 count, then the vertices) into outline.
void readPolylinePath(PairCursor& r, std::vector<Point>& outline) {
    std::vector<Point> pts;
    std::vector<double> bulges;
    for (; !pathEnds(r); r.next()) {
        if (r.code() == 10) {
            pts.push_back({r.real(), 0});
            bulges.push_back(0);
        } else if (r.code() == 20 && !pts.empty()) {
            pts.back().y = r.real();
        } else if (r.code() == 42 && !bulges.empty()) {
            bulges.back() = r.real();
        }
    }
    if (pts.empty())
        return;
    outline.push_back(pts[0]);
    for (std::size_t k = 1; k < pts.size(); ++k)
        appendBulge(outline, pts[k - 1], pts[k], bulges[k - 1]);
    if (pts.size() > 2 && bulges.back() != 0) {
        appendBulge(outline, pts.back(), pts[0], bulges.back());
        outline.pop_back();
    }
}

// Reads an edge path (93 count, then each edge's type, 72, and numbers) into outline.
void readEdgePath(PairCursor& r, std::vector<Point>& outline) {
    Edge e;
    auto flush = [&] {
        if (e.type)
            appendEdge(outline, e);
        e = Edge{};
    };
    for (; !pathEnds(r); r.next()) {
        const int c = r.code();
        if (c == 72) {
            flush();
            e.type = r.integer();
        } else if (e.type == 4) {
            switch (c) {
            case 94:
                e.degree = r.integer();
                break;
            case 40:
                e.knots.push_back(r.real());
                break;
            case 42:
                e.weights.push_back(r.real());
                break;
            case 10:
                e.control.push_back({r.real(), 0});
                break;
            case 20:
                if (!e.control.empty())
                    e.control.back().y = r.real();
                break;
            case 11:
                e.fit.push_back({r.real(), 0});
                break;
            case 21:
                if (!e.fit.empty())
                    e.fit.back().y = r.real();
                break;
            default:
                break;
            }
        } else {
            static constexpr int kCodes[] = {10, 20, 11, 21, 40, 50, 51, 73};
            for (int k = 0; k < 8; ++k)
                if (c == kCodes[k])
                    e.v[k] = r.real();
        }
    }
    flush();
}

} // namespace

HatchShape hatchShape(const BufferedPairs& pairs) {
    HatchShape shape;
    PairCursor r(pairs);
    // Up to the boundary paths: the pattern's name, the fill flag, the count.
    for (; !r.done() && r.code() != 91; r.next())
        if (r.code() == 70)
            shape.solid = r.integer() & 1;
    if (r.done())
        return shape;
    const int paths = std::clamp(r.integer(), 0, 1 << 20);
    r.next();
    std::vector<Point> outline;
    for (int path = 0; path < paths && !r.done(); ++path) {
        while (!r.done() && r.code() != 92)
            r.next();
        if (r.done())
            break;
        const int type = r.integer();
        r.next();
        outline.clear();
        if (type & 2)
            readPolylinePath(r, outline);
        else
            readEdgePath(r, outline);
        if (outline.size() >= 2)
            shape.outlines.push_back(outline);
    }
    return shape;
}

} // namespace quillet::drawing
