// The texts of a preview's status line: a warning for a drawing cut short, what the drawing
// holds, its extents, what is not drawn, and the cursor's place; UTF-8, the same for every
// front end.
#pragma once

#include "drawing/Drawing.h"

#include <cstdint>
#include <string>

namespace quillet::scene {

struct StatusText {
    // "⚠ 図面が途中で終わっています（読めた所まで表示）", then "⚠ " and each of what is left
    // out (drawing::shortfallNotes); empty when nothing is
    std::string warning;
    std::string counts;   // "文字 1,234   線・円・弧 56   ブロック参照 7"
    std::string extents;  // "範囲 (0, 0) - (1000, 100)", or empty for an empty drawing
    std::string notDrawn; // "描かないもの: IMAGE 3", "描かないもの: 12 種類", or empty
    // Every kind not drawn with its count, one a line, for a tooltip (empty when none).
    std::string notDrawnDetail;
    // "コードページの宣言なし: コードページ 932 と推測", or empty when nothing was guessed
    std::string guessed;

    // Returns the parts that are there, three spaces apart, as one line: the warning, the
    // counts and the extents before the kinds, so that a long list never pushes them out.
    std::string joined() const;
    // Returns the tooltip over the line: each part on a line of its own, then every kind not
    // drawn under "描かないもの:".
    std::string toolTip() const;
};

// The most kinds the status line names one by one; past it, it only counts them.
inline constexpr std::size_t kKindsNamed = 3;

// Returns the status line's texts for drawing.
StatusText statusOf(const drawing::Drawing& drawing);

// Returns the cursor's drawing coordinates as the status line shows them: "X 1.5  Y -20",
// to the decimals that a pixel of unitsPerPixel drawing units can tell apart (0: %.10g).
std::string cursorText(double x, double y, double unitsPerPixel = 0);

// Returns v to the decimals that step tells apart (at most six, none for a step of 1 or more);
// with no step, up to ten significant digits, as printf's %.10g writes it.
std::string coordinateText(double v, double step = 0);

// Returns n with a comma between each group of three digits: "1,234,567".
std::string groupedNumber(std::uint64_t n);

} // namespace quillet::scene
