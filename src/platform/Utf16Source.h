#pragma once

#include "LineReader.h"

#include <string>

namespace quillet::platform {

// Reads UTF-16 text (after its byte-order mark) and hands it on as UTF-8. What is no
// character, a surrogate without its partner or an odd byte at the end, becomes the byte 0xFF,
// which no UTF-8 line may hold: the line that has it is refused, not quietly mended.
class Utf16Source final : public ByteSource {
  public:
    // Reads from source (which must outlive this), skipping the two bytes of the mark.
    Utf16Source(ByteSource& source, bool bigEndian) : source_(source), bigEndian_(bigEndian) {}

    // Reads up to max bytes of UTF-8; throws what the source throws.
    std::size_t read(char* into, std::size_t max) override;

  private:
    // Decodes the next block of the source into pending_; false at its end.
    bool decodeMore();

    ByteSource& source_;
    bool bigEndian_;
    bool markSkipped_ = false;
    bool ended_ = false;
    std::string raw_;     // bytes read but not decoded yet (an odd byte, a high surrogate)
    std::string pending_; // decoded, not handed on yet
    std::size_t served_ = 0;
};

} // namespace quillet::platform
