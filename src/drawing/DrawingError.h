// Why a file could not be read as a drawing, in Japanese, with the line where that showed.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quillet::drawing {

class DrawingError : public std::runtime_error {
  public:
    // Makes the error: message says what is wrong (Japanese), line is the 1-based line of the
    // file where it showed (0 for none), path the file (may be empty).
    DrawingError(std::string message, std::int64_t line = 0, std::string path = {});

    const std::string& message() const noexcept { return message_; }
    std::int64_t line() const noexcept { return line_; }
    const std::string& path() const noexcept { return path_; }

    // Returns a copy that names path.
    DrawingError withPath(const std::string& path) const { return {message_, line_, path}; }

  private:
    std::string message_;
    std::int64_t line_;
    std::string path_;
};

// Thrown when the reader was asked to stop.
class ReadCancelled : public std::runtime_error {
  public:
    ReadCancelled() : std::runtime_error("読み込みを中止しました。") {}
};

} // namespace quillet::drawing
