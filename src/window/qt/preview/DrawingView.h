// The widget that shows a drawing from its session's view state: the wheel zooms about the
// cursor, dragging pans, and the cursor's drawing coordinates are reported as it moves.
#pragma once

#include "ViewTransform.h"

#include "drawing/Drawing.h"
#include "scene/ViewState.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>

namespace quillet::window::qt::preview {

class DrawingView : public QWidget {
    Q_OBJECT

  public:
    // Shows state, which outlives the widget.
    explicit DrawingView(scene::ViewState& state, QWidget* parent = nullptr);

    const std::shared_ptr<const drawing::Drawing>& drawing() const noexcept {
        return state_.drawing();
    }
    ViewTransform transform() const { return state_.transform(); }

    // Shows message instead of a drawing while there is none (e.g. while reading).
    void setMessage(const QString& message);

    // Zooms by factor about the widget point at.
    void zoomAt(const QPointF& at, double factor);

  signals:
    // The drawing point under the cursor.
    void cursorMoved(double x, double y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    scene::ViewState& state_;
    QString message_;
    bool dragging_ = false;
    QPointF dragFrom_;
};

} // namespace quillet::window::qt::preview
