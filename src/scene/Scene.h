// Draws one view of a drawing through a Painter: what meets the view, found through the
// drawing's index; below a pixel or two as dots, small texts as translucent boxes, and only
// the largest texts up to a budget in the font. Every front end and every export draws
// through this, so these rules live here once.
#pragma once

#include "Device.h"
#include "DotMask.h"
#include "Painter.h"
#include "TextCache.h"
#include "ViewTransform.h"

#include "drawing/Drawing.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillet::scene {

// The inks of a view on a light background.
struct Style {
    Color text{0x1a, 0x1a, 0x1a};
    Color line{0x1f, 0x3a, 0x70};
    Color box{0x9a, 0xa0, 0xa8, 150}; // small texts
    Color dot{0x9a, 0xa0, 0xa8};      // items below dust size
};

struct PaintStats {
    std::size_t textsDrawn = 0; // in the font
    std::size_t textsBoxed = 0; // as boxes, being small or past the budget
    std::size_t dots = 0;       // nodes or items below dust size
};

class Scene {
  public:
    // The most texts drawn in the font in one view; the smallest of the rest become boxes.
    static constexpr std::size_t kTextBudget = 6000;
    // Texts smaller than this many pixels are drawn as boxes.
    static constexpr double kReadablePixels = 5;
    // Items and index nodes smaller than this many pixels both ways are drawn as dots.
    static constexpr double kDustPixels = 1.5;
    // A text taller than this many times the view's longer side is left out: none of it shows.
    static constexpr double kTooTallViews = 8;
    // Past this radius in pixels an arc comes as clipped segments: devices' fixed-point
    // coordinates do not reach far past the screen.
    static constexpr double kFarPixels = 1e5;
    // A CJK character fills about this much of the em: a text's em is its height over this.
    static constexpr double kCapPerEm = 0.88;

    explicit Scene(Style style = {}) : style_(style) {}

    // Draws drawing as view shows it onto painter, whose device is view.size large and
    // already cleared. Allocates only to grow its own buffers (kept for the next view) and for
    // texts new to cache.
    PaintStats draw(const drawing::Drawing& drawing, const ViewTransform& view, TextCache& cache,
                    Painter& painter);

    const Style& style() const noexcept { return style_; }

  private:
    struct Candidate {
        std::uint32_t text;
        double pixels;
    };

    Style style_;
    // Buffers of one view, kept so that the next one allocates nothing.
    std::vector<Candidate> readable_;
    std::vector<DeviceRect> boxes_;
    std::vector<DevicePoint> points_;
    std::vector<TextLine> lines_;
    DotMask dots_;
};

} // namespace quillet::scene
