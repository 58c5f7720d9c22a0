#pragma once

#include "DrawingOptions.h"
#include "platform/LineReader.h"
#include "platform/PeekSource.h"
#include "platform/TextEncoding.h"
#include "platform/Utf16Source.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillet::conversion {

// The input's text as the scanner takes it: for the classic drawing the bytes as they are;
// for the declared drawing each line checked in the file's encoding, counted by its
// characters and written in code page 932.
class InputText {
  public:
    // Looks at the start of source (which must outlive this) for its encoding. Throws
    // RunError 5 for a UTF-16 input to the classic drawing, which cannot hold it, and what
    // source throws.
    InputText(platform::ByteSource& source, DrawingOptions options);
    InputText(const InputText&) = delete;
    InputText& operator=(const InputText&) = delete;

    // The bytes to split into lines, UTF-16 already turned into UTF-8.
    platform::ByteSource& bytes() noexcept;

    // The longest line in bytes that can still hold at most 32767 characters.
    std::size_t maxLineBytes() const noexcept;

    const DrawingOptions& options() const noexcept { return options_; }

    // Tells whether lines go through prepare() before they are scanned.
    bool transcodes() const noexcept { return options_.drawing == DrawingKind::Declared; }

    // Returns line in code page 932 (valid until the next call). Throws RunError 5 for a line
    // that is not valid in the file's encoding, 6 for one of more than 32767 characters.
    std::string_view prepare(std::string_view line);

    // The characters written as escapes, and those replaced by 〓, so far.
    std::int64_t escaped() const noexcept { return encoder_ ? encoder_->escaped() : 0; }
    std::int64_t replaced() const noexcept { return encoder_ ? encoder_->replaced() : 0; }

  private:
    enum class Decided { Not, Cp932, Utf8 };

    DrawingOptions options_;
    platform::PeekSource peek_;
    std::optional<platform::Utf16Source> utf16_;
    Decided decided_ = Decided::Not;
    std::optional<platform::text::Cp932Encoder> encoder_;
    std::string converted_;
};

} // namespace quillet::conversion
