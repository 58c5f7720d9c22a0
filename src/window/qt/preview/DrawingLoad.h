// Reading a drawing on a thread of its own: the window polls its progress and takes the
// result when it is there, so neither side needs the other to outlive it.
#pragma once

#include "drawing/Drawing.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace quillet::window::preview {

class DrawingLoad {
  public:
    // Starts reading path (as the file system spells it) on a new thread.
    explicit DrawingLoad(std::string path);
    // Asks the thread to stop and waits for it.
    ~DrawingLoad();
    DrawingLoad(const DrawingLoad&) = delete;
    DrawingLoad& operator=(const DrawingLoad&) = delete;

    void cancel() noexcept { state_->cancel = true; }
    bool finished() const noexcept { return state_->finished; }
    // Bytes read so far and the file's size (0 while unknown); indexing once all is read.
    std::int64_t done() const noexcept { return state_->done; }
    std::int64_t total() const noexcept { return state_->total; }
    bool indexing() const noexcept { return state_->indexing; }

    // Once finished: the drawing (null when reading failed or was cancelled), and why not.
    std::shared_ptr<drawing::Drawing> takeDrawing();
    QString error() const;
    bool cancelled() const noexcept { return state_->wasCancelled; }

  private:
    struct State {
        std::atomic<bool> cancel = false;
        std::atomic<bool> finished = false;
        std::atomic<bool> indexing = false;
        std::atomic<std::int64_t> done = 0;
        std::atomic<std::int64_t> total = 0;
        std::mutex lock;
        std::shared_ptr<drawing::Drawing> drawing;
        std::string error;
        bool wasCancelled = false;
    };
    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace quillet::window::preview
