// Reading a drawing on a thread of its own: the window polls its progress and takes the
// result when it is there, so neither side needs the other to outlive it. Any front end polls
// it from its own timer.
#pragma once

#include "drawing/Drawing.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace quillet::scene {

class DrawingLoad {
  public:
    // Starts reading path (as the file system spells it) on a new thread. Throws
    // std::system_error when no thread can be started.
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
    // Returns the share read so far, 0..1 (0 while the size is unknown).
    double fraction() const noexcept;

    // Once finished: the drawing (null when reading failed or was cancelled), and why not
    // (UTF-8, the error's own message; empty when cancelled).
    std::shared_ptr<drawing::Drawing> takeDrawing();
    std::string error() const;
    bool cancelled() const noexcept;

  private:
    struct State {
        std::atomic<bool> cancel = false;
        std::atomic<bool> finished = false;
        std::atomic<bool> indexing = false;
        std::atomic<std::int64_t> done = 0;
        std::atomic<std::int64_t> total = 0;
        mutable std::mutex lock;
        std::shared_ptr<drawing::Drawing> drawing;
        std::string error;
        bool wasCancelled = false;
    };
    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace quillet::scene
