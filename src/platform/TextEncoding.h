#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Text in the encodings an input may come in, and its code page 932 form for a drawing that
// declares that code page.
namespace quillet::platform::text {

// What a byte-order mark at the start of a file names.
enum class ByteOrderMark { None, Utf8, Utf16Le, Utf16Be };

// Returns the mark that start (the first bytes of a file) begins with.
ByteOrderMark markOf(std::string_view start) noexcept;

// Tells whether bytes holds a byte of 0x80 or above.
bool hasHighByte(std::string_view bytes) noexcept;

// Returns the number of characters of bytes when it is well-formed UTF-8 (no overlong forms,
// surrogates or values beyond U+10FFFF); nothing otherwise. One pass, for every line.
std::optional<std::size_t> countUtf8Chars(std::string_view bytes) noexcept;

// Tells whether bytes is well-formed UTF-8.
inline bool isValidUtf8(std::string_view bytes) noexcept {
    return countUtf8Chars(bytes).has_value();
}

// Returns the number of characters of bytes by code page 932 rules when every lead byte has a
// trail byte after it; nothing otherwise. One pass: a declared drawing asks it of every line.
std::optional<std::size_t> countCp932Chars(std::string_view bytes) noexcept;

// Tells whether every lead byte of code page 932 in bytes has a trail byte after it.
inline bool isValidCp932(std::string_view bytes) noexcept {
    return countCp932Chars(bytes).has_value();
}

// Appends the UTF-8 form of the character cp.
void appendUtf8(char32_t cp, std::string& out);

// Appends "\U+XXXX", the drawing's escape for a character, with four upper-case hex digits.
void appendUnicodeEscape(char32_t cp, std::string& out);

// Returns utf8 with every "\U+XXXX" (four hex digits) replaced by its character.
std::string decodeUnicodeEscapes(std::string_view utf8);

// Writes UTF-8 text in code page 932. A character the code page cannot hold becomes its
// "\U+XXXX" escape; one beyond U+FFFF, which no reader's four-digit escape reaches, becomes
// 〓. Each character is looked up in the system's converter once, then remembered.
class Cp932Encoder {
  public:
    Cp932Encoder();
    ~Cp932Encoder();
    Cp932Encoder(const Cp932Encoder&) = delete;
    Cp932Encoder& operator=(const Cp932Encoder&) = delete;

    // Appends the code page 932 form of utf8 (valid UTF-8) to out. Throws RunError 5 when the
    // system has no converter for code page 932.
    void append(std::string_view utf8, std::string& out);

    // The characters written as escapes, and those replaced by 〓, so far.
    std::int64_t escaped() const noexcept { return escaped_; }
    std::int64_t replaced() const noexcept { return replaced_; }

  private:
    std::uint16_t codeOf(char32_t cp);

    // Per character of the basic plane: its code, or not looked up yet, or none.
    std::unique_ptr<std::array<std::uint16_t, 0x10000>> codes_;
    std::int64_t escaped_ = 0;
    std::int64_t replaced_ = 0;
};

} // namespace quillet::platform::text
