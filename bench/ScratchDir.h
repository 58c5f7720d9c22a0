#pragma once

#include <string>
#include <string_view>

namespace quillet::bench {

// A private folder for the benchmark's files, emptied and removed when the object goes and
// also when SIGINT, SIGTERM or SIGHUP ends the benchmark. One at a time.
class ScratchDir {
  public:
    // Creates a fresh folder inside base; on a signal, beforeRemoval (async-signal-safe) runs
    // first, to stop whatever still writes there. Throws std::runtime_error when it cannot.
    explicit ScratchDir(const std::string& base, void (*beforeRemoval)() noexcept = nullptr);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const noexcept { return path_; }
    // Returns the path of name inside the folder.
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
    // Removes name from the folder if it is there.
    void remove(std::string_view name) const;

  private:
    std::string path_;
};

} // namespace quillet::bench
