// Turning a text's bytes into UTF-8 for showing: the drawing's code page, then the
// "\U+XXXX" escapes; for an MTEXT also its formatting codes.
#pragma once

#include <string>
#include <string_view>

namespace quillet::drawing {

struct HeaderInfo;

// How a drawing's texts are encoded.
enum class TextEncoding {
    Utf8,       // declared by the version: R2007 (AC1021) and later
    Cp932,      // $DWGCODEPAGE ANSI_932
    Cp1252,     // $DWGCODEPAGE ANSI_1252 (and the other Western pages, read as this one)
    Undeclared, // no code page: each text is UTF-8 when it is valid UTF-8, code page 932 else
};

// Returns the encoding a drawing's header declares.
TextEncoding encodingOf(const HeaderInfo& header);

// Returns bytes as UTF-8, escapes decoded, for an MTEXT also its formatting codes dropped;
// odd bytes become U+FFFD. Throws platform::RunError 5 when the system lacks the code page's
// converter.
std::string decodeText(std::string_view bytes, TextEncoding encoding, bool mtext = false);

// Returns an MTEXT's plain text: formatting codes dropped, "\P" as a line feed, braces gone,
// "\~" as a space and "\\", "\{", "\}" as their characters. Works on UTF-8 or ASCII-compatible
// bytes.
std::string plainMText(std::string_view text);

} // namespace quillet::drawing
