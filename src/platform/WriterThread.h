#pragma once

#include <cstdint>

// The thread that writes an output's blocks, with a stack of its own choosing.
namespace quillet::platform {

class WriterThread {
  public:
    WriterThread() = default;
    // Waits for a thread still running.
    ~WriterThread() { join(); }
    WriterThread(const WriterThread&) = delete;
    WriterThread& operator=(const WriterThread&) = delete;

    // Starts run(context) on a new thread with a small stack; returns false when the system
    // gives no thread.
    bool start(void (*run)(void*), void* context) noexcept;

    // Waits for the started thread to end; does nothing when none runs.
    void join() noexcept;

  private:
    // The writer needs little stack; a system default of eight megabytes would make a run fail
    // under an address-space limit that its blocks fit in easily.
    static constexpr std::uint32_t kStackSize = 256 * 1024;

    void (*run_)(void*) = nullptr;
    void* context_ = nullptr;
    std::uintptr_t handle_ = 0; // a pthread_t, or a HANDLE on Windows
    bool running_ = false;
};

} // namespace quillet::platform
