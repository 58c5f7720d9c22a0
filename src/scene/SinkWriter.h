// Bytes written a block at a time into a platform::BlockSink and counted, with the numbers the
// vector exports write: one writer under the SVG and the PDF, so that neither holds its whole
// file in memory.
#pragma once

#include "platform/BlockSink.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace quillet::scene {

class SinkWriter {
  public:
    // Starts writing into sink; throws what the sink throws.
    explicit SinkWriter(platform::BlockSink& sink);
    SinkWriter(const SinkWriter&) = delete;
    SinkWriter& operator=(const SinkWriter&) = delete;

    // Write bytes as they are; throw what the sink throws.
    SinkWriter& operator+=(std::string_view bytes);
    SinkWriter& operator+=(char byte);

    // Writes v in fixed notation with at most decimals (0 to 6) decimals, without trailing
    // zeros and never as "-0"; a value beyond a trillion either way, or not finite, is held to
    // that range or written as 0. Throws what the sink throws.
    void number(double v, int decimals = 2);
    // Writes v in decimal digits; throws what the sink throws.
    void integer(std::int64_t v);
    // Writes the low digits (1 to 8) hexadecimal digits of v, upper case; throws what the
    // sink throws.
    void hex(std::uint32_t v, int digits);

    // Returns how many bytes were written so far.
    std::uint64_t written() const noexcept { return handed_ + used(); }

    // Hands every byte written to the sink; throws what the sink throws.
    void flush();

  private:
    std::size_t used() const noexcept { return static_cast<std::size_t>(pos_ - block_.data()); }
    std::size_t room() const noexcept { return block_.size() - used(); }
    void take(std::span<char> block) noexcept;

    platform::BlockSink& sink_;
    std::span<char> block_;
    char* pos_ = nullptr;
    std::uint64_t handed_ = 0;
};

} // namespace quillet::scene
