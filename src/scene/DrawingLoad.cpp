// The reading thread.
#include "DrawingLoad.h"

#include "drawing/DrawingError.h"
#include "drawing/Reader.h"

#include <algorithm>
#include <exception>

namespace quillet::scene {

DrawingLoad::DrawingLoad(std::string path) : state_(std::make_shared<State>()) {
    thread_ = std::thread([state = state_, path = std::move(path)] {
        std::shared_ptr<drawing::Drawing> result;
        std::string error;
        bool cancelled = false;
        try {
            drawing::ReadOptions options;
            options.cancel = &state->cancel;
            options.progress = [&state](std::int64_t done, std::int64_t total) {
                state->done = done;
                state->total = total;
                state->indexing = total > 0 && done >= total;
            };
            result = drawing::readDrawing(path, options);
        } catch (const drawing::ReadCancelled&) {
            cancelled = true;
        } catch (const std::exception& e) {
            error = e.what();
        }
        std::lock_guard hold(state->lock);
        state->drawing = std::move(result);
        state->error = std::move(error);
        state->wasCancelled = cancelled;
        state->finished = true;
    });
}

DrawingLoad::~DrawingLoad() {
    cancel();
    if (thread_.joinable())
        thread_.join();
}

double DrawingLoad::fraction() const noexcept {
    const std::int64_t total = state_->total;
    if (total <= 0)
        return 0;
    return std::clamp(static_cast<double>(state_->done) / static_cast<double>(total), 0.0, 1.0);
}

std::shared_ptr<drawing::Drawing> DrawingLoad::takeDrawing() {
    std::lock_guard hold(state_->lock);
    return std::move(state_->drawing);
}

std::string DrawingLoad::error() const {
    std::lock_guard hold(state_->lock);
    return state_->error;
}

bool DrawingLoad::cancelled() const noexcept {
    std::lock_guard hold(state_->lock);
    return state_->wasCancelled;
}

} // namespace quillet::scene
