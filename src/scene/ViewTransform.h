// The mapping between drawing units (Y up) and a view's device pixels (Y down): a scale and
// the drawing point at the middle of the view; fitting, zooming about a point and panning.
#pragma once

#include "Device.h"

#include "drawing/Geometry.h"

#include <algorithm>
#include <cmath>

namespace quillet::scene {

// How far zooming may go from the fitted scale, in and out.
inline constexpr double kMostZoomIn = 1e6;
inline constexpr double kMostZoomOut = 1e-3;
// The zoom of one wheel step (120 units of a wheel's delta).
inline constexpr double kWheelStepZoom = 1.25;

struct ViewTransform {
    double scale = 1;   // pixels per drawing unit
    double centerX = 0; // the drawing point shown at the middle
    double centerY = 0;
    DeviceSize size{1, 1}; // the view's size in pixels

    DevicePoint toScreen(double x, double y) const noexcept {
        return {size.width / 2 + (x - centerX) * scale, size.height / 2 - (y - centerY) * scale};
    }
    drawing::Point toDrawing(DevicePoint p) const noexcept {
        return {centerX + (p.x - size.width / 2) / scale,
                centerY - (p.y - size.height / 2) / scale};
    }
    // Returns the drawing's box that the view shows, widened by margin pixels.
    drawing::Box visibleBox(double margin = 0) const noexcept {
        const drawing::Point a = toDrawing({-margin, size.height + margin});
        const drawing::Point b = toDrawing({size.width + margin, -margin});
        return {a.x, a.y, b.x, b.y};
    }

    // Zooms by factor about the device point at, which keeps showing the same drawing point;
    // the scale stays within kMostZoomOut..kMostZoomIn times fittedScale.
    void zoomAbout(DevicePoint at, double factor, double fittedScale) noexcept {
        const drawing::Point under = toDrawing(at);
        scale = std::clamp(scale * factor, fittedScale * kMostZoomOut, fittedScale * kMostZoomIn);
        const drawing::Point moved = toDrawing(at);
        centerX += under.x - moved.x;
        centerY += under.y - moved.y;
    }
    // Moves the drawing by dx, dy device pixels, as a drag does.
    void pan(double dx, double dy) noexcept {
        centerX -= dx / scale;
        centerY += dy / scale;
    }

    // Returns the transform that shows box whole in a view of size, with a small margin.
    static ViewTransform fitting(const drawing::Box& box, DeviceSize size) {
        ViewTransform t;
        t.size = size;
        if (box.empty())
            return t;
        t.centerX = (box.minX + box.maxX) / 2;
        t.centerY = (box.minY + box.maxY) / 2;
        const double w = std::max(box.width(), 1e-9), h = std::max(box.height(), 1e-9);
        t.scale = 0.94 * std::min(size.width / w, size.height / h);
        if (!(t.scale > 0) || !std::isfinite(t.scale))
            t.scale = 1;
        return t;
    }
};

} // namespace quillet::scene
