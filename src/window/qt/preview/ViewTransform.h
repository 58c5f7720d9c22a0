// The mapping between drawing units (Y up) and a widget's pixels (Y down): a scale and the
// drawing point at the middle of the widget.
#pragma once

#include "drawing/Geometry.h"

#include <QPointF>
#include <QSizeF>

namespace quillet::window::preview {

struct ViewTransform {
    double scale = 1;   // pixels per drawing unit
    double centerX = 0; // the drawing point shown at the middle
    double centerY = 0;
    QSizeF size{1, 1}; // the widget's size in pixels

    QPointF toScreen(double x, double y) const noexcept {
        return {size.width() / 2 + (x - centerX) * scale,
                size.height() / 2 - (y - centerY) * scale};
    }
    drawing::Point toDrawing(const QPointF& p) const noexcept {
        return {centerX + (p.x() - size.width() / 2) / scale,
                centerY - (p.y() - size.height() / 2) / scale};
    }
    // Returns the drawing's box that the widget shows, widened by margin pixels.
    drawing::Box visibleBox(double margin = 0) const noexcept {
        const drawing::Point a = toDrawing({-margin, size.height() + margin});
        const drawing::Point b = toDrawing({size.width() + margin, -margin});
        return {a.x, a.y, b.x, b.y};
    }
    // Returns the transform that shows box whole in a widget of size, with a small margin.
    static ViewTransform fitting(const drawing::Box& box, const QSizeF& size) {
        ViewTransform t;
        t.size = size;
        if (box.empty())
            return t;
        t.centerX = (box.minX + box.maxX) / 2;
        t.centerY = (box.minY + box.maxY) / 2;
        const double w = std::max(box.width(), 1e-9), h = std::max(box.height(), 1e-9);
        t.scale = 0.94 * std::min(size.width() / w, size.height() / h);
        if (!(t.scale > 0) || !std::isfinite(t.scale))
            t.scale = 1;
        return t;
    }
};

} // namespace quillet::window::preview
