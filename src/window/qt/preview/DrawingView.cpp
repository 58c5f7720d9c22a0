// The view's events: painting through the drawing painter, zooming and panning.
#include "DrawingView.h"

#include "DrawingPainter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace quillet::window::qt::preview {

DrawingView::DrawingView(scene::ViewState& state, QWidget* parent)
    : QWidget(parent), state_(state) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    setCursor(Qt::CrossCursor);
}

void DrawingView::setMessage(const QString& message) {
    message_ = message;
    update();
}

void DrawingView::zoomAt(const QPointF& at, double factor) {
    state_.zoomAt({at.x(), at.y()}, factor);
    update();
}

void DrawingView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    DrawingPainter painter(p);
    state_.draw(painter);
    if (!message_.isEmpty()) {
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, message_);
    }
}

void DrawingView::resizeEvent(QResizeEvent*) {
    state_.resize(deviceSize(size()));
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
        state_.pan(d.x(), d.y());
        update();
    }
    const drawing::Point at = transform().toDrawing(event->position());
    emit cursorMoved(at.x, at.y);
}

void DrawingView::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    setCursor(Qt::CrossCursor);
}

} // namespace quillet::window::qt::preview
