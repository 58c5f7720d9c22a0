// Dimensions from their definition points. The points by type (the DXF reference's names):
//   rotated (0), aligned (1): 13 and 14 the extension lines' origins, 10 on the dimension line,
//     50 the rotated line's angle;
//   angular (2): the lines 13-14 and 15-10, 16 on the dimension arc;
//   angular by 3 points (5): 15 the vertex, 13 and 14 on the legs, 10 on the dimension arc;
//   diameter (3): 15 and 10 across the circle; radius (4): 10 the centre, 15 on the curve;
//   ordinate (6): 10 the origin, 13 the feature, 14 the leader's end; 70 bit 64 X, else Y.
// 11 is the text's middle wherever the drawing gives it.
#include "Dimension.h"

#include "EntityRecords.h"
#include "Geometry.h"
#include "LineLexer.h"
#include "PendingEntity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace quillet::drawing {

namespace {

constexpr double kDegrees = 180 / std::numbers::pi;

Point operator+(Point a, Point b) noexcept {
    return {a.x + b.x, a.y + b.y};
}
Point operator-(Point a, Point b) noexcept {
    return {a.x - b.x, a.y - b.y};
}
Point operator*(Point a, double k) noexcept {
    return {a.x * k, a.y * k};
}
double dot(Point a, Point b) noexcept {
    return a.x * b.x + a.y * b.y;
}
double length(Point a) noexcept {
    return std::hypot(a.x, a.y);
}
// Turned a quarter counterclockwise.
Point across(Point a) noexcept {
    return {-a.y, a.x};
}
Point unit(Point a, Point otherwise) noexcept {
    const double n = length(a);
    return n > 0 && std::isfinite(n) ? a * (1 / n) : otherwise;
}
double degreesOf(Point a) noexcept {
    return std::atan2(a.y, a.x) * kDegrees;
}
Point towards(double degrees) noexcept {
    return {std::cos(degrees / kDegrees), std::sin(degrees / kDegrees)};
}
// Returns degrees in [0, 360).
double turned(double degrees) noexcept {
    const double d = std::fmod(degrees, 360.0);
    return d < 0 ? d + 360 : d;
}
// Returns the angle of a text along degrees that reads from left to right: in (-90, 90].
double readable(double degrees) noexcept {
    const double d = turned(degrees);
    return d > 90 && d <= 270 ? d - 180 : d > 270 ? d - 360 : d;
}

// Builds a shape: the style's sizes scaled by DIMSCALE.
class Builder {
  public:
    Builder(const DimensionStyle& s, DimensionShape& out)
        : s_(s), out_(out), k_(s.sizeFactor()), arrow_(s.arrowSize * k_),
          textHeight_(s.textHeight * k_), gap_(s.gap * k_) {
        out_.textHeight = textHeight_;
    }

    // An extension line from the feature at from to the dimension line at to.
    void extension(Point from, Point to, bool suppressed) {
        const Point v = to - from;
        const double n = length(v);
        if (suppressed || !(n > s_.extensionOffset * k_))
            return;
        const Point u = v * (1 / n);
        out_.strokes.push_back(
            {from + u * (s_.extensionOffset * k_), to + u * (s_.extensionBeyond * k_), true});
    }

    // An arrowhead whose tip is at tip and which points along pointing (a unit vector); a tick
    // across it when the style has ticks.
    void arrowhead(Point tip, Point pointing) {
        if (s_.tickSize > 0) {
            const Point slant = unit(pointing + across(pointing), {1, 0}) * (s_.tickSize * k_);
            out_.strokes.push_back({tip - slant * 0.5, tip + slant * 0.5});
            return;
        }
        if (!(arrow_ > 0))
            return;
        const Point back = tip - pointing * arrow_;
        const Point side = across(pointing) * (arrow_ / 6);
        out_.arrows.push_back({tip, back + side, back - side});
    }

    // A straight dimension line from a to b with arrowheads at both ends: inside pointing out,
    // or outside pointing in where two arrowheads do not fit between.
    void dimensionLine(Point a, Point b) {
        const double n = length(b - a);
        if (!(n > 0))
            return;
        const Point u = (b - a) * (1 / n);
        if (s_.tickSize > 0) {
            const double beyond = s_.lineBeyond * k_;
            out_.strokes.push_back({a - u * beyond, b + u * beyond});
        } else if (n >= 2 * arrow_) {
            out_.strokes.push_back({a, b});
            arrowhead(a, u * -1);
            arrowhead(b, u);
            return;
        } else {
            out_.strokes.push_back({a - u * (2 * arrow_), b + u * (2 * arrow_)});
            arrowhead(a, u);
            arrowhead(b, u * -1);
            return;
        }
        arrowhead(a, u * -1);
        arrowhead(b, u);
    }

    // An arc of the dimension line from start degrees counterclockwise through span degrees,
    // with arrowheads at its ends.
    void dimensionArc(Point centre, double radius, double start, double span) {
        if (!(radius > 0) || !(span > 0))
            return;
        out_.arcs.push_back({centre, radius, start, start + span});
        const Point first = towards(start), last = towards(start + span);
        const bool inside = radius * span / kDegrees >= 2 * arrow_;
        const double sign = inside ? 1 : -1;
        arrowhead(centre + first * radius, across(first) * -sign);
        arrowhead(centre + last * radius, across(last) * sign);
    }

    // Places the text: at the drawing's 11 when it gives one, else at the default place.
    void text(const DimensionDefinition& d, Point defaultAt, double defaultRotation) {
        out_.textAt = d.haveTextAt ? d.textAt : defaultAt;
        out_.textRotationDegrees = d.haveTextRotation ? d.textRotation : defaultRotation;
    }

    // Returns the estimated width of the text.
    double textWidth() const { return estimatedEms(out_.text) * textHeight_; }
    // Returns how far above a dimension line the text's middle stands by default.
    double above() const { return s_.textAbove ? gap_ + textHeight_ / 2 : 0; }
    double arrow() const { return arrow_; }

  private:
    const DimensionStyle& s_;
    DimensionShape& out_;
    double k_, arrow_, textHeight_, gap_;
};

void linear(const DimensionDefinition& d, const DimensionStyle& s, Builder& b,
            DimensionShape& out) {
    const Point p1 = d.first, p2 = d.second, on = d.defining;
    const Point dir = d.type == 1 ? unit(p2 - p1, {1, 0}) : towards(d.angle);
    const Point a1 = on + dir * dot(p1 - on, dir), a2 = on + dir * dot(p2 - on, dir);
    out.measurement = std::fabs(dot(p2 - p1, dir));
    out.text = measurementText(out.measurement, s, false);
    b.extension(p1, a1, s.suppressFirst);
    b.extension(p2, a2, s.suppressSecond);
    b.dimensionLine(a1, a2);
    const double along = readable(degreesOf(dir));
    b.text(d, (a1 + a2) * 0.5 + towards(along + 90) * b.above(), s.insideHorizontal ? 0 : along);
}

// An angle from centre, counterclockwise from start through span degrees; each leg's feature
// at distance near1 and near2 along it; the arc through at.
void angle(const DimensionDefinition& d, const DimensionStyle& s, Builder& b, DimensionShape& out,
           Point centre, double start, double span, double near1, double near2, Point at) {
    const double radius = length(at - centre);
    out.measurement = span;
    out.text = measurementText(span, s, true);
    const Point first = towards(start), last = towards(start + span);
    b.extension(centre + first * near1, centre + first * radius, s.suppressFirst);
    b.extension(centre + last * near2, centre + last * radius, s.suppressSecond);
    b.dimensionArc(centre, radius, start, span);
    const double middle = start + span / 2;
    b.text(d, centre + towards(middle) * (radius + b.above()),
           s.insideHorizontal ? 0 : readable(middle - 90));
}

// Returns the point of the line through a and b where the line through c and e meets it;
// false for parallel lines.
bool meet(Point a, Point b, Point c, Point e, Point& at) {
    const Point r = b - a, q = e - c;
    const double det = r.x * q.y - r.y * q.x;
    if (std::fabs(det) <= 1e-12 * std::max(1.0, length(r) * length(q)))
        return false;
    const double t = ((c.x - a.x) * q.y - (c.y - a.y) * q.x) / det;
    at = a + r * t;
    return true;
}

// Returns how far along ray (from centre) the point of a and b that the arc leg starts from
// lies: the one on the ray's side nearest the arc, or 0 when both lie behind the centre.
double legStart(Point centre, Point ray, Point a, Point b, double radius) {
    double best = 0, bestGap = -1;
    for (const Point p : {a, b}) {
        const double t = dot(p - centre, ray);
        if (t > 0 && (bestGap < 0 || std::fabs(t - radius) < bestGap)) {
            best = t;
            bestGap = std::fabs(t - radius);
        }
    }
    return best;
}

void angularTwoLines(const DimensionDefinition& d, const DimensionStyle& s, Builder& b,
                     DimensionShape& out) {
    // The lines 13-14 and 15-10; the angle is the one of the four they make that holds 16.
    Point centre;
    if (!meet(d.first, d.second, d.third, d.defining, centre))
        return;
    const Point u1 = unit(d.second - d.first, {1, 0}), u2 = unit(d.defining - d.third, {0, 1});
    const double at = turned(degreesOf(d.arcAt - centre));
    double start = degreesOf(u1), span = 0;
    Point legA = u1, legB = u2;
    bool found = false;
    for (const Point r1 : {u1, u1 * -1})
        for (const Point r2 : {u2, u2 * -1})
            for (int order = 0; order < 2 && !found; ++order) {
                const Point from = order ? r2 : r1, to = order ? r1 : r2;
                const double a = degreesOf(from), sweep = turned(degreesOf(to) - a);
                if (sweep <= 180 && turned(at - a) <= sweep) {
                    start = a;
                    span = sweep;
                    legA = from;
                    legB = to;
                    found = true;
                }
            }
    if (!found)
        span = turned(degreesOf(u2) - start);
    const double radius = length(d.arcAt - centre);
    // Each leg's feature: the end of its own line on the leg's side.
    const bool aIsFirst = std::fabs(std::fabs(dot(legA, u1)) - 1) < 1e-9;
    const double nearA = aIsFirst ? legStart(centre, legA, d.first, d.second, radius)
                                  : legStart(centre, legA, d.third, d.defining, radius);
    const double nearB = aIsFirst ? legStart(centre, legB, d.third, d.defining, radius)
                                  : legStart(centre, legB, d.first, d.second, radius);
    angle(d, s, b, out, centre, start, span, nearA, nearB, d.arcAt);
}

void angularThreePoints(const DimensionDefinition& d, const DimensionStyle& s, Builder& b,
                        DimensionShape& out) {
    // Vertex 15, legs through 13 and 14: the side of the two angles that holds 10.
    const Point centre = d.third;
    const double a1 = degreesOf(d.first - centre), a2 = degreesOf(d.second - centre);
    const double sweep = turned(a2 - a1);
    const bool forward = turned(degreesOf(d.defining - centre) - a1) <= sweep;
    const double n1 = length(d.first - centre), n2 = length(d.second - centre);
    if (forward)
        angle(d, s, b, out, centre, a1, sweep, n1, n2, d.defining);
    else
        angle(d, s, b, out, centre, a2, 360 - sweep, n2, n1, d.defining);
}

// A radius (diameter false: centre to the curve) or diameter (across the circle) dimension.
void radial(const DimensionDefinition& d, const DimensionStyle& s, Builder& b, DimensionShape& out,
            bool diameter) {
    const Point far = d.third; // on the curve, where the arrowhead stands
    const Point centre = diameter ? (d.third + d.defining) * 0.5 : d.defining;
    const Point u = unit(far - centre, {1, 0});
    const double radius = length(far - centre);
    out.measurement = diameter ? 2 * radius : radius;
    out.text = (diameter ? "%%c" : "R") + measurementText(out.measurement, s, false);
    const double width = b.textWidth();
    const Point defaultAt = centre + u * (radius + 2 * b.arrow() + width / 2);
    const Point at = d.haveTextAt ? d.textAt : defaultAt;
    // Which end the text lies beyond, if either: its distance along the line from the centre.
    const double along = dot(at - centre, u);
    const bool outside = std::fabs(along) > radius;
    const Point side = along >= 0 ? u : u * -1;
    const Point end = centre + side * radius;
    if (outside) {
        // A leader from the text to the curve, its arrowhead pointing in.
        const double reach = std::max(radius, std::fabs(along) - width / 2);
        out.strokes.push_back({end, centre + side * reach});
        b.arrowhead(end, side * -1);
        if (diameter) {
            out.strokes.push_back({centre - side * radius, end});
            b.arrowhead(centre - side * radius, side * -1);
        }
    } else {
        out.strokes.push_back({diameter ? centre - u * radius : centre, far});
        b.arrowhead(far, u);
        if (diameter)
            b.arrowhead(centre - u * radius, u * -1);
    }
    const double rotation = readable(degreesOf(u));
    const bool horizontal = outside ? s.outsideHorizontal : s.insideHorizontal;
    b.text(d, defaultAt, horizontal ? 0 : rotation);
}

void ordinate(const DimensionDefinition& d, const DimensionStyle& s, Builder& b,
              DimensionShape& out) {
    // The leader runs across the measured axis: up or down for an X ordinate.
    const Point feature = d.first, end = d.second;
    const Point lead = end - feature;
    const Point dir =
        d.xOrdinate ? Point{0, lead.y < 0 ? -1.0 : 1.0} : Point{lead.x < 0 ? -1.0 : 1.0, 0};
    out.measurement = std::fabs(d.xOrdinate ? feature.x - d.defining.x : feature.y - d.defining.y);
    out.text = measurementText(out.measurement, s, false);
    const double leg = 2 * b.arrow();
    const double reach = std::fabs(dot(lead, dir));
    const Point bend = feature + dir * std::max(leg, reach - 2 * leg);
    const Point start = end - dir * leg;
    b.extension(feature, bend, false);
    out.strokes.push_back({bend, start});
    const double width = b.textWidth();
    out.strokes.push_back({start, s.textAbove ? end + dir * width : end});
    const double rotation = d.xOrdinate ? 90 : 0;
    const Point shift = d.xOrdinate ? Point{-1, 0} : Point{0, 1};
    b.text(d, end + dir * (width / 2) + shift * b.above(), rotation);
}

} // namespace

DimensionDefinition dimensionDefinition(const BufferedPairs& pairs) {
    DimensionDefinition d;
    // Extended data: only ACAD's DSTYLE list of overrides, pairs of a style's group code
    // (1070) and its value, is read.
    enum { Outside, Acad, Named, Inside } xdata = Outside;
    int overridden = 0;
    for (PairCursor r(pairs); !r.done(); r.next()) {
        const int c = r.code();
        if (c >= 1000) {
            if (c == 1001) {
                xdata = trimmed(r.value()) == "ACAD" ? Acad : Outside;
            } else if (xdata == Acad && c == 1000 && trimmed(r.value()) == "DSTYLE") {
                xdata = Named;
            } else if (xdata == Named && c == 1002) {
                xdata = trimmed(r.value()) == "{" ? Inside : Acad;
            } else if (xdata == Inside && c == 1002) {
                xdata = Acad;
            } else if (xdata == Inside && overridden == 0 && c == 1070) {
                overridden = r.integer();
            } else if (xdata == Inside && overridden != 0) {
                if (d.overrides.size() < 64)
                    d.overrides.push_back(
                        {overridden, r.real(), std::string(trimmed(r.value()).substr(0, 64))});
                overridden = 0;
            }
            continue;
        }
        switch (c) {
        case 1:
            d.text.assign(r.value().substr(0, 4096));
            break;
        case 3:
            d.style.assign(trimmed(r.value()).substr(0, 255));
            break;
        case 10:
            d.defining.x = r.real();
            break;
        case 20:
            d.defining.y = r.real();
            break;
        case 11:
            d.textAt.x = r.real();
            d.haveTextAt = true;
            break;
        case 21:
            d.textAt.y = r.real();
            d.haveTextAt = true;
            break;
        case 12:
            d.insertionPoint.x = r.real();
            d.haveInsertionPoint = true;
            break;
        case 22:
            d.insertionPoint.y = r.real();
            d.haveInsertionPoint = true;
            break;
        case 13:
            d.first.x = r.real();
            break;
        case 23:
            d.first.y = r.real();
            break;
        case 14:
            d.second.x = r.real();
            break;
        case 24:
            d.second.y = r.real();
            break;
        case 15:
            d.third.x = r.real();
            break;
        case 25:
            d.third.y = r.real();
            break;
        case 16:
            d.arcAt.x = r.real();
            break;
        case 26:
            d.arcAt.y = r.real();
            break;
        case 50:
            d.angle = r.real();
            break;
        case 53:
            d.textRotation = r.real();
            d.haveTextRotation = d.textRotation != 0;
            break;
        case 70: {
            const int flags = r.integer();
            d.type = static_cast<std::uint8_t>(flags & 15);
            d.xOrdinate = flags & 64;
            break;
        }
        default:
            break;
        }
    }
    return d;
}

DimensionShape dimensionShape(const DimensionDefinition& d, const DimensionStyle& s) {
    DimensionShape out;
    Builder b(s, out);
    switch (d.type) {
    case 0:
    case 1:
        linear(d, s, b, out);
        break;
    case 2:
        angularTwoLines(d, s, b, out);
        break;
    case 5:
        angularThreePoints(d, s, b, out);
        break;
    case 3:
    case 4:
        radial(d, s, b, out, d.type == 3);
        break;
    case 6:
        ordinate(d, s, b, out);
        break;
    default:
        return out;
    }
    out.text = dimensionText(d.text, out.text);
    return out;
}

std::string measurementText(double value, const DimensionStyle& s, bool angle) {
    int decimals = angle && s.angleDecimals >= 0 ? s.angleDecimals : s.decimals;
    decimals = std::clamp(decimals, 0, 8);
    if (!angle) {
        value *= s.lengthFactor;
        if (s.rounding > 0)
            value = std::round(value / s.rounding) * s.rounding;
    }
    if (!std::isfinite(value) || std::fabs(value) > 1e15)
        return "";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-')
        text.erase(0, 1); // no "-0"
    const bool noTrailing = angle ? (s.angleZeros & 2) : (s.zeros & 8);
    const bool noLeading = angle ? (s.angleZeros & 1) : (s.zeros & 4);
    const std::size_t point = text.find('.');
    if (noTrailing && point != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (noLeading && text.size() > 1 && text.compare(0, 2, "0.") == 0)
        text.erase(0, 1);
    else if (noLeading && text.compare(0, 3, "-0.") == 0)
        text.erase(1, 1);
    if (s.separator != '.')
        std::replace(text.begin(), text.end(), '.', static_cast<char>(s.separator));
    if (angle)
        return text + "%%d";
    if (s.suffix.empty())
        return text;
    const std::size_t at = s.suffix.find("<>");
    if (at == std::string::npos)
        return text + s.suffix;
    return s.suffix.substr(0, at) + text + s.suffix.substr(at + 2);
}

std::string dimensionText(std::string_view own, const std::string& measured) {
    if (own.empty() || own == "<>")
        return measured;
    if (own == " ")
        return "";
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = own.find("<>", from)) != std::string_view::npos; from = at + 2) {
        out.append(own.substr(from, at - from));
        out += measured;
    }
    out.append(own.substr(from));
    return out;
}

void keepDimension(Entities& into, const DimensionShape& shape, Look look,
                   const DimensionStyle& s) {
    const auto styled = [look](int aci) {
        Look l = look;
        if (aci == 256)
            l.colour = Colour{Colour::kByLayer};
        else if (aci >= 1 && aci <= 255)
            l.colour = Colour::index(aci);
        return l;
    };
    const Look line = styled(s.lineColour), extension = styled(s.extensionColour);
    for (const DimensionShape::Stroke& k : shape.strokes)
        into.lines.push_back({k.a, k.b, k.extension ? extension : line});
    for (const DimensionShape::Curve& c : shape.arcs)
        into.arcs.push_back({c.centre, c.radius, static_cast<float>(turned(c.startDegrees)),
                             static_cast<float>(turned(c.endDegrees)), line});
    std::vector<Point> corners;
    for (const auto& a : shape.arrows) {
        corners.assign(a.begin(), a.end());
        keepPolyline(into, corners, PolylineRecord::kClosed | PolylineRecord::kFilled, line,
                     nullptr);
    }
    if (shape.text.empty() || !(shape.textHeight > 0))
        return;
    into.textBytes.begin();
    into.textBytes.append(shape.text);
    PendingEntity text;
    text.look = styled(s.textColour);
    text.at = shape.textAt;
    text.height = shape.textHeight;
    text.rotation = shape.textRotationDegrees;
    text.attachment = 5; // middle centre
    text.haveText = true;
    keepText(into, EntityKind::MText, text);
}

} // namespace quillet::drawing
