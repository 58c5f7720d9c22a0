// The scene's view transform in Qt's terms: the same mapping, with the widget's points.
#pragma once

#include "scene/ViewTransform.h"

#include <QPointF>
#include <QSizeF>

namespace quillet::window::qt::preview {

struct ViewTransform : scene::ViewTransform {
    ViewTransform() = default;
    ViewTransform(const scene::ViewTransform& t) : scene::ViewTransform(t) {}

    QPointF toScreen(double x, double y) const noexcept {
        const scene::DevicePoint p = scene::ViewTransform::toScreen(x, y);
        return {p.x, p.y};
    }
    drawing::Point toDrawing(const QPointF& p) const noexcept {
        return scene::ViewTransform::toDrawing({p.x(), p.y()});
    }
};

// Returns a size in the scene's terms.
inline scene::DeviceSize deviceSize(const QSizeF& s) noexcept {
    return {s.width(), s.height()};
}

} // namespace quillet::window::qt::preview
