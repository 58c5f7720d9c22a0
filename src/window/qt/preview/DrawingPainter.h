// Paints a drawing through its index: only what meets the target, texts in a CJK font at
// their height, rotation and width factor, small texts as their boxes and anything below a
// pixel or two as dots. Used by the view and by every export.
#pragma once

#include "ViewTransform.h"

#include "drawing/Drawing.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QString>

class QPainter;

namespace quillet::window::preview {

// Decoded texts of what was on screen lately, so panning does not decode them again.
class TextCache {
  public:
    // Returns text i of drawing, decoded.
    const QString& text(const drawing::Drawing& drawing, std::uint32_t i);
    void clear() { texts_.clear(); }

  private:
    QHash<std::uint32_t, QString> texts_;
};

struct PaintStats {
    std::size_t textsDrawn = 0; // in the font
    std::size_t textsBoxed = 0; // as boxes, being small or past the budget
    std::size_t dots = 0;       // nodes or items below dust size
};

class DrawingPainter {
  public:
    // The most texts drawn in the font in one paint; the smallest of the rest become boxes.
    static constexpr std::size_t kTextBudget = 6000;
    // Texts smaller than this many pixels are drawn as boxes.
    static constexpr double kReadablePixels = 5;

    DrawingPainter();

    // Paints drawing as view shows it onto painter, whose device is view.size large.
    PaintStats paint(QPainter& painter, const drawing::Drawing& drawing, const ViewTransform& view,
                     TextCache& cache) const;

    // Returns the font texts are drawn in.
    const QFont& font() const noexcept { return font_; }

  private:
    QFont font_;
    QColor ink_{0x1a, 0x1a, 0x1a};
    QColor lineInk_{0x1f, 0x3a, 0x70};
    QColor boxInk_{0x9a, 0xa0, 0xa8};
};

// Returns the family list texts are drawn in: Noto Sans CJK JP first, then other Japanese
// fonts, then whatever the system offers.
QStringList textFontFamilies();

} // namespace quillet::window::preview
