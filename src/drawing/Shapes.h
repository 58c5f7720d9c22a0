// Curves as vertex runs and the object coordinate system: what the reader needs to turn arcs,
// bulges, ellipses and splines into the polylines it keeps, and OCS points into world ones.
#pragma once

#include "Entities.h"

#include <vector>

namespace quillet::drawing {

// An entity's object coordinate system by the arbitrary axis algorithm, seen in plan: the
// world X and Y of its axes (the Z part is dropped, as a plan view does).
class Ocs {
  public:
    // The system whose Z axis is the extrusion (nx, ny, nz); the world's for (0, 0, 1) or a
    // zero vector.
    Ocs(double nx = 0, double ny = 0, double nz = 1) noexcept;

    // Returns whether the system is the world's.
    bool isWorld() const noexcept { return world_; }
    // Returns whether the system's X runs against the world's and its Y with it: extrusion
    // (0, 0, -1), a mirror in plan.
    bool isMirror() const noexcept { return mirror_; }
    // Returns an OCS point in the world's plan.
    Point toWorld(double x, double y) const noexcept {
        return {ax_.x * x + ay_.x * y, ax_.y * x + ay_.y * y};
    }
    // Returns the world plan direction of an OCS direction of angle degrees, in degrees.
    double angleToWorld(double degrees) const noexcept;

  private:
    Point ax_{1, 0}, ay_{0, 1};
    bool world_ = true;
    bool mirror_ = false;
};

// The most segments one curve gets: bounded memory whatever the drawing says.
inline constexpr int kMaxCurveSegments = 256;

// Appends the points after (ax, ay) of a bulged segment to (bx, by), the end included.
void appendBulge(std::vector<Point>& out, Point a, Point b, double bulge);

// Appends the points of an arc of centre c and radius r from start to end degrees
// (counterclockwise), both ends included.
void appendArc(std::vector<Point>& out, Point c, double r, double startDegrees, double endDegrees);

// Appends the points of an ellipse of centre c, major axis end major (relative to c), minor
// axis end minor (relative), from parameter start to end (radians, counterclockwise from the
// major axis towards the minor one), both ends included.
void appendEllipse(std::vector<Point>& out, Point c, Point major, Point minor, double start,
                   double end);

// Appends the points of a B-spline of degree with knots and control points (weights empty
// or one per control point); false when the numbers do not make a spline.
bool appendSpline(std::vector<Point>& out, int degree, const std::vector<double>& knots,
                  const std::vector<Point>& control, const std::vector<double>& weights);

// Appends a smooth curve through fit points (Catmull-Rom), the points included.
void appendThrough(std::vector<Point>& out, const std::vector<Point>& fit);

} // namespace quillet::drawing
