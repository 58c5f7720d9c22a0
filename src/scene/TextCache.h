// Decoded texts of what was on screen lately, in UTF-16 as both painters draw them, so that
// panning does not decode them again.
#pragma once

#include "drawing/Drawing.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace quillet::scene {

class TextCache {
  public:
    // Returns text i of drawing, decoded (an MTEXT's lines split by U+000A); a text whose code
    // page has no converter on this system is shown as its bytes read as UTF-8.
    const std::u16string& text(const drawing::Drawing& drawing, std::uint32_t i) {
        return text(drawing, kTopLevel, i);
    }
    // The same for text i of block (kTopLevel: the drawing's own entities).
    const std::u16string& text(const drawing::Drawing& drawing, std::uint32_t block,
                               std::uint32_t i);
    static constexpr std::uint32_t kTopLevel = 0xFFFFFFFF;
    void clear() noexcept { texts_.clear(); }

    // The most texts kept; past it the cache starts over.
    static constexpr std::size_t kMostTexts = 50000;

  private:
    std::unordered_map<std::uint64_t, std::u16string> texts_; // (block + 1) << 32 | text
};

// Returns UTF-8 bytes as UTF-16; a byte that starts no well-formed character becomes U+FFFD.
std::u16string utf16Of(std::string_view utf8);

// Returns UTF-16 text as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf8Of(std::u16string_view utf16);

} // namespace quillet::scene
