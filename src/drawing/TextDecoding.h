// Turning a text's bytes into UTF-8 for showing: the drawing's code page, then the special
// codes ("%%c", "^J"), the "\U+XXXX" and "\M+nXXXX" escapes; for an MTEXT also its formatting
// codes.
#pragma once

#include <string>
#include <string_view>

namespace quillet::drawing {

struct HeaderInfo;

// How a drawing's texts are encoded: any other value is the number of the Windows or DOS
// code page $DWGCODEPAGE names (874, 936, 949, 950, 1250..1258, 437, 850 ...).
enum class TextEncoding : int {
    Utf8 = -1,      // declared by the version: R2007 (AC1021) and later
    Undeclared = 0, // no code page: each text is UTF-8 when it is valid UTF-8, code page 932 else
    Cp932 = 932,    // $DWGCODEPAGE ANSI_932
    Cp1252 = 1252,  // $DWGCODEPAGE ANSI_1252
};

// Returns the encoding a drawing's header declares.
TextEncoding encodingOf(const HeaderInfo& header);

// Returns bytes as UTF-8, escapes decoded, for an MTEXT also its formatting codes dropped;
// odd bytes become U+FFFD. Throws platform::RunError 5 when the system lacks the code page's
// converter.
std::string decodeText(std::string_view bytes, TextEncoding encoding, bool mtext = false);

// Returns text with the special codes of TEXT and MTEXT turned into characters: "%%c" Ø,
// "%%d" °, "%%p" ±, "%%%" %, "%%nnn" character nnn, "%%u", "%%o", "%%k" (underline,
// overline, strike-through toggles) dropped; "^I" a tab, "^J" and "^M" line feeds, "^ " a
// caret.
std::string specialCodes(std::string_view text);

// Returns text with every "\M+nXXXX" escape (n: 1 code page 932, 2 950, 3 949, 4 1361, 5 936;
// XXXX the character's two bytes in hex) replaced by its character. Throws as decodeText.
std::string decodeMifEscapes(std::string_view text);

// What an MTEXT's column break "\N" becomes in its plain text: a line break to whatever shows
// or lists the text, the start of the next column to the layout of a text in columns.
inline constexpr char kColumnBreak = '\v';

// Returns an MTEXT's plain text: formatting codes dropped (a numeric one, "\C1" "\H2.5x", also
// without its ";"), "\P" as a line feed and the column break "\N" as kColumnBreak, braces gone,
// "\~" as a space, a stacked fraction "\S1^2;" or "\S1#2;" as "1/2", and "\\", "\{", "\}" as
// their characters. Works on UTF-8 or ASCII-compatible bytes.
std::string plainMText(std::string_view text);

} // namespace quillet::drawing
