// The widget that shows a drawing: fitted at first, the wheel zooms about the cursor,
// dragging pans, and the cursor's drawing coordinates are reported as it moves.
#pragma once

#include "ViewTransform.h"

#include "drawing/Drawing.h"
#include "scene/ViewState.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>

namespace quillet::window::preview {

class DrawingView : public QWidget {
    Q_OBJECT

  public:
    explicit DrawingView(QWidget* parent = nullptr);

    // Shows drawing (null for none), fitted to its extents.
    void setDrawing(std::shared_ptr<const drawing::Drawing> drawing);
    const std::shared_ptr<const drawing::Drawing>& drawing() const noexcept {
        return state_.drawing();
    }

    // Shows message instead of a drawing while there is none (e.g. while reading).
    void setMessage(const QString& message);

    // Fits the whole drawing, its texts as wide as the font draws them, into the widget.
    void fitAll();

    // Zooms by factor about the widget point at.
    void zoomAt(const QPointF& at, double factor);

    ViewTransform transform() const { return state_.transform(); }

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
    scene::ViewState state_;
    QString message_;
    bool dragging_ = false;
    QPointF dragFrom_;
};

} // namespace quillet::window::preview
