#include "ViewState.h"

#include <algorithm>

namespace quillet::scene {

void ViewState::setDrawing(std::shared_ptr<const drawing::Drawing> drawing,
                           const TextMeasure& measure) {
    drawing_ = std::move(drawing);
    // Fit shows what the texts take in the font, not the reader's estimate of them.
    fitBox_ = drawing_ ? measuredExtents(*drawing_, measure) : drawing::Box{};
    cache_.clear();
    fitAll();
}

void ViewState::fitAll() {
    view_ = ViewTransform::fitting(fitBox_, view_.size);
    fitScale_ = view_.scale;
    fitted_ = true;
}

void ViewState::zoomAt(DevicePoint at, double factor) {
    view_.zoomAbout(at, factor, fitScale_);
    fitted_ = false;
}

void ViewState::pan(double dx, double dy) {
    view_.pan(dx, dy);
    fitted_ = false;
}

void ViewState::resize(DeviceSize size) {
    view_.size = {std::max(size.width, 1.0), std::max(size.height, 1.0)};
    if (fitted_)
        fitAll();
}

void ViewState::draw(Painter& painter) {
    if (drawing_)
        scene_.draw(*drawing_, view_, cache_, painter);
}

} // namespace quillet::scene
