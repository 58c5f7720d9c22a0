// The view's events: painting through the drawing painter, zooming and panning.
#include "DrawingView.h"

#include "DrawingPainter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace quillet::window::preview {

DrawingView::DrawingView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    setCursor(Qt::CrossCursor);
}

void DrawingView::setDrawing(std::shared_ptr<const drawing::Drawing> drawing) {
    drawing_ = std::move(drawing);
    cache_.clear();
    message_.clear();
    fitAll();
}

void DrawingView::setMessage(const QString& message) {
    message_ = message;
    update();
}

void DrawingView::fitAll() {
    const drawing::Box box = drawing_ ? drawing_->extents() : drawing::Box{};
    view_ = scene::ViewTransform::fitting(box, deviceSize(size()));
    fitScale_ = view_.scale;
    fitted_ = true;
    update();
}

void DrawingView::zoomAt(const QPointF& at, double factor) {
    view_.zoomAbout({at.x(), at.y()}, factor, fitScale_);
    fitted_ = false;
    update();
}

void DrawingView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (drawing_) {
        view_.size = deviceSize(size());
        paintDrawing(p, *drawing_, view_, cache_, scene_);
    }
    if (!message_.isEmpty()) {
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, message_);
    }
}

void DrawingView::resizeEvent(QResizeEvent*) {
    if (fitted_) {
        fitAll();
    } else {
        view_.size = deviceSize(size());
    }
}

void DrawingView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        zoomAt(event->position(), std::pow(scene::kWheelStepZoom, steps));
    event->accept();
}

void DrawingView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
        dragging_ = true;
        dragFrom_ = event->position();
        setCursor(Qt::ClosedHandCursor);
    }
}

void DrawingView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        const QPointF d = event->position() - dragFrom_;
        dragFrom_ = event->position();
        view_.pan(d.x(), d.y());
        fitted_ = false;
        update();
    }
    const drawing::Point at = view_.toDrawing(event->position());
    emit cursorMoved(at.x, at.y);
}

void DrawingView::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    setCursor(Qt::CrossCursor);
}

} // namespace quillet::window::preview
