#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Conversions between the Windows code pages and Unicode, done by the system's own converter
// (iconv here) so that every mapping is the one the system knows, Windows' variants included.
namespace quillet::platform::codepage {

enum class CodePage { Cp932, Cp1252 };

// Returns the code page 932 form of the character cp: a single byte as a value below 0x100,
// a double-byte character as lead byte * 256 + trail byte; nothing when code page 932 has no
// such character. Throws RunError 5 when the system has no converter for code page 932.
std::optional<std::uint16_t> cp932Of(char32_t cp);

// Returns bytes of page as UTF-8; a byte or pair with no character becomes U+FFFD. Throws
// RunError 5 when the system has no converter for page.
std::string toUtf8(std::string_view bytes, CodePage page);

// Returns bytes of page as UTF-8 when every byte belongs to a character, nothing otherwise.
// Throws RunError 5 when the system has no converter for page.
std::optional<std::string> toUtf8Exactly(std::string_view bytes, CodePage page);

// Returns bytes of the Windows or DOS code page numbered windowsPage (874, 936, 1250, 437 ...)
// as UTF-8, a byte or pair with no character as U+FFFD. Throws RunError 5 when the system has
// no converter for that page.
std::string toUtf8(std::string_view bytes, int windowsPage);

} // namespace quillet::platform::codepage
