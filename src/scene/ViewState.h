// What a preview's view shows and how, for every front end: the drawing, the box Fit shows
// (its texts measured in the front end's font), the transform, and whether the view still
// follows its window's size. The front end paints and asks for repaints; the rest is here.
#pragma once

#include "Scene.h"
#include "TextCache.h"
#include "TextLayout.h"
#include "ViewTransform.h"

#include "drawing/Drawing.h"

#include <memory>

namespace quillet::scene {

class ViewState {
  public:
    // Shows drawing (null for none), fitted to its extents with its texts as measure
    // measures them.
    void setDrawing(std::shared_ptr<const drawing::Drawing> drawing, const TextMeasure& measure);
    const std::shared_ptr<const drawing::Drawing>& drawing() const noexcept { return drawing_; }

    // Fits the whole drawing into the view; it then follows the view's size.
    void fitAll();
    // Zooms by factor about the view's pixel at.
    void zoomAt(DevicePoint at, double factor);
    // Moves the picture by (dx, dy) pixels.
    void pan(double dx, double dy);
    // Takes the view's size in pixels (at least one each way); a fitted view fits again.
    void resize(DeviceSize size);

    // Draws the drawing, when there is one, as the view shows it through painter.
    void draw(Painter& painter);

    const ViewTransform& transform() const noexcept { return view_; }

  private:
    std::shared_ptr<const drawing::Drawing> drawing_;
    drawing::Box fitBox_;
    ViewTransform view_;
    double fitScale_ = 1;
    bool fitted_ = true;
    Scene scene_;
    TextCache cache_;
};

} // namespace quillet::scene
