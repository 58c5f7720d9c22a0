// Curves as vertex runs, and the arbitrary axis algorithm.
#include "Shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillet::drawing {

namespace {

constexpr double kPi = std::numbers::pi;

// Returns how many segments a sweep of angle radians gets: about one per 5 degrees.
int segmentsFor(double sweep) noexcept {
    const double n = std::ceil(std::fabs(sweep) / (kPi / 36));
    return static_cast<int>(std::clamp(n, 1.0, static_cast<double>(kMaxCurveSegments)));
}

} // namespace

Ocs::Ocs(double nx, double ny, double nz) noexcept {
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0) || !std::isfinite(length))
        return;
    nx /= length;
    ny /= length;
    nz /= length;
    if (std::fabs(nx) < 1e-12 && std::fabs(ny) < 1e-12 && nz > 0)
        return;
    // Ax is Wy x N near the Z axis, Wz x N otherwise; Ay is N x Ax.
    double ax, ay, az;
    if (std::fabs(nx) < 1.0 / 64 && std::fabs(ny) < 1.0 / 64) {
        ax = nz;
        ay = 0;
        az = -nx;
    } else {
        ax = -ny;
        ay = nx;
        az = 0;
    }
    const double al = std::sqrt(ax * ax + ay * ay + az * az);
    ax /= al;
    ay /= al;
    az /= al;
    const double bx = ny * az - nz * ay;
    const double by = nz * ax - nx * az;
    ax_ = {ax, ay};
    ay_ = {bx, by};
    world_ = false;
    mirror_ = std::fabs(nx) < 1e-12 && std::fabs(ny) < 1e-12 && nz < 0;
}

double Ocs::angleToWorld(double degrees) const noexcept {
    if (world_)
        return degrees;
    const double a = degrees * (kPi / 180);
    const Point d = toWorld(std::cos(a), std::sin(a));
    return std::atan2(d.y, d.x) * (180 / kPi);
}

void appendBulge(std::vector<Point>& out, Point a, Point b, double bulge) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double chord = std::hypot(dx, dy);
    if (bulge == 0 || !std::isfinite(bulge) || chord == 0 || std::fabs(bulge) > 1e6) {
        out.push_back(b);
        return;
    }
    // The included angle is 4 atan(bulge); the centre lies off the chord's middle.
    const double theta = 4 * std::atan(bulge);
    const double radius = chord / (2 * std::sin(theta / 2));
    const double h = radius * std::cos(theta / 2); // signed distance of the centre
    const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const Point c{mid.x - dy / chord * h, mid.y + dx / chord * h};
    const double start = std::atan2(a.y - c.y, a.x - c.x);
    const int n = segmentsFor(theta);
    const double r = std::fabs(radius);
    for (int k = 1; k < n; ++k) {
        const double t = start + theta * k / n;
        out.push_back({c.x + r * std::cos(t), c.y + r * std::sin(t)});
    }
    out.push_back(b);
}

void appendArc(std::vector<Point>& out, Point c, double r, double startDegrees, double endDegrees) {
    double sweep = std::fmod(endDegrees - startDegrees, 360.0);
    if (sweep <= 0)
        sweep += 360;
    const double start = startDegrees * (kPi / 180);
    const double s = sweep * (kPi / 180);
    const int n = segmentsFor(s);
    for (int k = 0; k <= n; ++k) {
        const double t = start + s * k / n;
        out.push_back({c.x + r * std::cos(t), c.y + r * std::sin(t)});
    }
}

void appendEllipse(std::vector<Point>& out, Point c, Point major, Point minor, double start,
                   double end) {
    double sweep = end - start;
    if (!std::isfinite(sweep))
        return;
    sweep = std::fmod(sweep, 2 * kPi);
    if (sweep <= 1e-12)
        sweep += 2 * kPi;
    const int n = segmentsFor(sweep);
    for (int k = 0; k <= n; ++k) {
        const double t = start + sweep * k / n;
        const double cs = std::cos(t), sn = std::sin(t);
        out.push_back({c.x + major.x * cs + minor.x * sn, c.y + major.y * cs + minor.y * sn});
    }
}

bool appendSpline(std::vector<Point>& out, int degree, const std::vector<double>& knots,
                  const std::vector<Point>& control, const std::vector<double>& weights) {
    const std::size_t n = control.size();
    const std::size_t p = static_cast<std::size_t>(degree);
    if (degree < 1 || degree > 10 || n <= p || knots.size() != n + p + 1)
        return false;
    const bool rational = weights.size() == n;
    const double lo = knots[p], hi = knots[n];
    if (!(hi > lo))
        return false;
    for (std::size_t k = 1; k < knots.size(); ++k)
        if (knots[k] < knots[k - 1])
            return false;
    const int segments = static_cast<int>(
        std::min<std::size_t>(kMaxCurveSegments, std::max<std::size_t>(8, (n - p) * 8)));
    // De Boor's algorithm in homogeneous coordinates.
    std::vector<double> dx(p + 1), dy(p + 1), dw(p + 1);
    for (int s = 0; s <= segments; ++s) {
        const double u = s == segments ? hi : lo + (hi - lo) * s / segments;
        std::size_t k = p;
        while (k + 1 < n && knots[k + 1] <= u)
            ++k;
        for (std::size_t j = 0; j <= p; ++j) {
            const std::size_t i = j + k - p;
            const double w = rational ? weights[i] : 1.0;
            dx[j] = control[i].x * w;
            dy[j] = control[i].y * w;
            dw[j] = w;
        }
        for (std::size_t r = 1; r <= p; ++r)
            for (std::size_t j = p; j >= r; --j) {
                const std::size_t i = j + k - p;
                const double span = knots[i + p - r + 1] - knots[i];
                const double a = span > 0 ? (u - knots[i]) / span : 0;
                dx[j] = (1 - a) * dx[j - 1] + a * dx[j];
                dy[j] = (1 - a) * dy[j - 1] + a * dy[j];
                dw[j] = (1 - a) * dw[j - 1] + a * dw[j];
            }
        if (dw[p] == 0 || !std::isfinite(dx[p] / dw[p]) || !std::isfinite(dy[p] / dw[p]))
            return false;
        out.push_back({dx[p] / dw[p], dy[p] / dw[p]});
    }
    return true;
}

void appendThrough(std::vector<Point>& out, const std::vector<Point>& fit) {
    const std::size_t n = fit.size();
    if (n < 3) {
        out.insert(out.end(), fit.begin(), fit.end());
        return;
    }
    const int steps = static_cast<int>(std::clamp<std::size_t>(kMaxCurveSegments / n, 1, 8));
    out.push_back(fit[0]);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const Point p0 = fit[i ? i - 1 : 0], p1 = fit[i], p2 = fit[i + 1];
        const Point p3 = fit[i + 2 < n ? i + 2 : n - 1];
        for (int s = 1; s <= steps; ++s) {
            const double t = static_cast<double>(s) / steps, t2 = t * t, t3 = t2 * t;
            auto f = [&](double a, double b, double c, double d) {
                return 0.5 * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                              (-a + 3 * b - 3 * c + d) * t3);
            };
            out.push_back({f(p0.x, p1.x, p2.x, p3.x), f(p0.y, p1.y, p2.y, p3.y)});
        }
    }
}

} // namespace quillet::drawing
