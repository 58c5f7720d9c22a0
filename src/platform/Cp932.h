#pragma once

#include <cstddef>
#include <string_view>

// Character counting by the rules of the Japanese code page 932, on undecoded bytes.
namespace quillet::platform::cp932 {

// Tells whether b starts a double-byte character.
constexpr bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Returns the number of characters in bytes: a lead byte with a byte after it is one
// character, every other byte (a lone lead byte at the end included) is one.
constexpr std::size_t countChars(std::string_view bytes) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < bytes.size(); ++chars)
        i += (isLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size()) ? 2 : 1;
    return chars;
}

// The longest line in bytes that can still hold at most 32767 characters.
inline constexpr std::size_t kMaxLineBytes = 2 * 32767;

} // namespace quillet::platform::cp932
