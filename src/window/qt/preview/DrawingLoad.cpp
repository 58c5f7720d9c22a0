// The reading thread.
#include "DrawingLoad.h"

#include "drawing/DrawingError.h"
#include "drawing/Reader.h"

#include <exception>

namespace quillet::window::preview {

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
            auto read = drawing::readDrawing(path, options);
            result = std::move(read);
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

std::shared_ptr<drawing::Drawing> DrawingLoad::takeDrawing() {
    std::lock_guard hold(state_->lock);
    return std::move(state_->drawing);
}

QString DrawingLoad::error() const {
    std::lock_guard hold(state_->lock);
    return QString::fromStdString(state_->error);
}

} // namespace quillet::window::preview
