#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::platform {

// Where a writer's bytes go, a block at a time: the writer fills the block it was handed and
// trades it for the next one.
class BlockSink {
  public:
    // The least a block holds: room for any one number line.
    static constexpr std::size_t kMinBlock = 16;

    virtual ~BlockSink() = default;
    // Takes filled, the used front of the block handed out last (empty at the start), and
    // returns the next block to fill, of at least kMinBlock bytes. Throws RunError when the
    // bytes cannot be kept.
    virtual std::span<char> exchange(std::span<const char> filled) = 0;

    // Writes bytes over those at offset, all of which were handed over already; returns false
    // when the sink cannot go back (a pipe). Throws RunError when the bytes cannot be kept.
    virtual bool patch(std::uint64_t offset, std::string_view bytes) {
        static_cast<void>(offset);
        static_cast<void>(bytes);
        return false;
    }
};

// A sink that keeps everything in memory; for tests and the fuzzers.
class MemorySink final : public BlockSink {
  public:
    explicit MemorySink(std::size_t blockSize = 64 * 1024)
        : block_(blockSize < kMinBlock ? kMinBlock : blockSize) {}
    std::span<char> exchange(std::span<const char> filled) override {
        bytes_.append(filled.data(), filled.size());
        return block_;
    }
    bool patch(std::uint64_t offset, std::string_view bytes) override {
        bytes_.replace(static_cast<std::size_t>(offset), bytes.size(), bytes);
        return true;
    }
    const std::string& bytes() const noexcept { return bytes_; }

  private:
    std::vector<char> block_;
    std::string bytes_;
};

} // namespace quillet::platform
