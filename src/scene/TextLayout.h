// Where a text's lines go around its anchor: split at its line breaks, an MTEXT wrapped at its
// width by a measure of the font, each line placed by the text's alignment. The scene draws
// by it and the fitted view takes its boxes, so both agree on a text's width.
#pragma once

#include "Painter.h"

#include "drawing/Drawing.h"

#include <functional>
#include <string_view>
#include <vector>

namespace quillet::scene {

// A CJK character fills about this much of the em: a text's em is its height over this.
inline constexpr double kCapPerEm = 0.88;

// Measures one line of text in ems of the text font, as Painter::advance does.
using TextMeasure = std::function<double(std::u16string_view)>;

// Lays out text (decoded; lines broken by U+000A) of record t with extra: fills lines with
// each line's text and where its baseline starts, in drawing units across and up from the
// anchor before any turn or mirror; wraps an MTEXT that has a width at it, breaking after
// blanks and around CJK characters; an MTEXT in columns (columns) goes into them, wrapped at
// their width, a column break (drawing::kColumnBreak) or a full column starting the next.
// Returns the box the lines take, in the same units.
drawing::Box layOutText(const drawing::TextRecord& t, const drawing::TextExtra& extra,
                        std::u16string_view text, const TextMeasure& measure,
                        std::vector<TextLine>& lines,
                        const drawing::TextColumns* columns = nullptr);

// Returns the box of drawing with every text measured by measure (at most mostTexts of them,
// blocks expanded; past that the index's estimate stands), for fitting the view to it.
// Throws std::bad_alloc.
drawing::Box measuredExtents(const drawing::Drawing& drawing, const TextMeasure& measure,
                             std::size_t mostTexts = 100000);

} // namespace quillet::scene
