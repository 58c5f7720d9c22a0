// The lines of one TEXT entity as this program writes it, in both drawings (実行1 and 実行２).
// The converter writes its texts from these pieces and the preview's reader recognises its
// texts by them, so neither can change without the other.
//
//   kTextStart  X kLineEnd  kBeforeY  Y kLineEnd  kBeforeHeight  height kLineEnd
//   kBeforeText  text kLineEnd  [kStyleLines]
//
// X, Y and the height are integers in the padded form (platform::formatPadded): a blank or a
// minus sign, the digits, a blank. The text's bytes stand as they are and hold no line end.
#pragma once

#include <cstddef>
#include <string_view>

namespace quillet::layout {

// The entity's name, its layer "0" and the group code of X.
inline constexpr std::string_view kTextStart = "  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n";
// The group code of Y.
inline constexpr std::string_view kBeforeY = " 20\r\n";
// Z (always 0) and the group code of the height.
inline constexpr std::string_view kBeforeHeight = " 30\r\n0\r\n 40\r\n";
// The group code of the text.
inline constexpr std::string_view kBeforeText = "  1\r\n";
// What ends every line, the numbers' and the text's too.
inline constexpr std::string_view kLineEnd = "\r\n";
// The declared drawing's text style after every text (KST32B, which its STYLE table defines).
inline constexpr std::string_view kStyleLines = "  7\r\nKST32B\r\n";

// The padded number form: what stands before a number's digits and after them.
inline constexpr char kPlusLead = ' ';
inline constexpr char kMinusLead = '-';
inline constexpr char kNumberEnd = ' ';
// The most digits a number has (a 32-bit integer).
inline constexpr std::size_t kMostDigits = 10;

// Returns the lines that the fixed lines pieces hold.
constexpr int linesIn(std::string_view pieces) noexcept {
    int lines = 0;
    for (const char c : pieces)
        lines += c == kLineEnd.back();
    return lines;
}

// The lines of one text (14: X, Y, the height and the text between the fixed ones), and the
// style's lines that follow it in the declared drawing.
inline constexpr int kTextLines =
    linesIn(kTextStart) + linesIn(kBeforeY) + linesIn(kBeforeHeight) + linesIn(kBeforeText) + 4;
inline constexpr int kStyleLineCount = linesIn(kStyleLines);

// The group code line that starts the next entity, after a text's lines.
inline constexpr std::string_view kNextEntity = kTextStart.substr(0, kTextStart.find('\n') + 1);

} // namespace quillet::layout
