#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quillet::platform {

// Where a line reader's bytes come from.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to max bytes into into; returns 0 only at the end. Throws RunError.
    virtual std::size_t read(char* into, std::size_t max) = 0;
};

// A source over bytes in memory; for tests and the fuzzers.
class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t read(char* into, std::size_t max) override;

  private:
    std::string_view bytes_;
};

// Splits a source into lines, as bytes. CR, LF and CR LF each end one line; the ending is not
// part of the line and the last line needs none. A UTF-8 byte-order mark at the very start is
// skipped. Memory stays bounded: a line longer than maxLineBytes is rejected, never held whole.
class LineReader {
  public:
    // Reads from source, which must outlive the reader.
    LineReader(ByteSource& source, std::size_t maxLineBytes);

    // Reads the next line into line (valid until the next call); returns false at the end.
    // Throws RunError 6 for a line longer than maxLineBytes and what the source throws.
    bool readLine(std::string_view& line);

    // Returns the line read last (valid until the next call), also once the end is reached.
    std::string_view lastLine() const noexcept {
        return lastInBuffer_ ? std::string_view(buffer_.get() + lastBegin_, lastSize_)
                             : std::string_view(lastSaved_);
    }

    // Returns the 1-based number of the line read last (0 before the first).
    std::int64_t lineNumber() const noexcept { return lineNumber_; }

  private:
    // Reads more bytes after the unread ones; returns false when none came.
    bool fill();

    ByteSource& source_;
    std::size_t maxLineBytes_;
    // Left uncleared: only what the source wrote is read, and clearing the whole buffer
    // touched its hundreds of kilobytes on every reader, however short the input.
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0; // first unread byte
    std::size_t end_ = 0;   // one past the last byte read
    bool eof_ = false;
    bool started_ = false;      // the byte-order mark has been looked for
    bool skipLineFeed_ = false; // the last line ended in CR; an LF right after belongs to it
    std::int64_t lineNumber_ = 0;
    // The line read last, where it lies in the buffer, or saved before the buffer moves.
    std::size_t lastBegin_ = 0;
    std::size_t lastSize_ = 0;
    bool lastInBuffer_ = false;
    std::string lastSaved_;
};

} // namespace quillet::platform
