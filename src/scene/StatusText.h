// The texts of a preview's status line: what the drawing holds, what is not drawn, its
// extents, and the cursor's place; UTF-8, the same for every front end.
#pragma once

#include "drawing/Drawing.h"

#include <cstdint>
#include <string>

namespace quillet::scene {

struct StatusText {
    std::string counts;   // "文字 1,234   線・円・弧 56"
    std::string notDrawn; // "描かないもの: INSERT 3, 座標が不正 1", or empty
    std::string extents;  // "範囲 (0, 0) - (1000, 100)", or empty for an empty drawing
    // "コードページの宣言なし: コードページ 932 と推測", or empty when nothing was guessed
    std::string guessed;

    // Returns the parts that are there, three spaces apart, as one line.
    std::string joined() const;
};

// Returns the status line's texts for drawing.
StatusText statusOf(const drawing::Drawing& drawing);

// Returns the cursor's drawing coordinates as the status line shows them: "X 1.5  Y -20".
std::string cursorText(double x, double y);

// Returns v with up to ten significant digits, as printf's %.10g writes it.
std::string coordinateText(double v);

// Returns n with a comma between each group of three digits: "1,234,567".
std::string groupedNumber(std::uint64_t n);

} // namespace quillet::scene
