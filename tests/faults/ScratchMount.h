#pragma once

#include <string>

namespace quillet::faults {

// A file system of a given type mounted on a fresh folder for one test, and unmounted after:
// tmpfs, or ext4 on a loop-mounted image. Mounting needs root; when it cannot be done,
// failure() says why and the test skips.
class ScratchMount {
  public:
    enum class Kind { Tmpfs, Ext4 };
    explicit ScratchMount(Kind kind);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    // The mounted folder, or empty when nothing could be mounted.
    const std::string& path() const { return mounted_; }
    const std::string& failure() const { return failure_; }

  private:
    std::string base_;
    std::string mounted_;
    std::string failure_;
};

} // namespace quillet::faults
