// Draws one view of a drawing through a Painter: what meets the view, found through the
// drawing's index; block references by walking their block through the insert's map (never a
// copy per insert); below a pixel or two as dots, small texts and block copies as translucent
// boxes, and only the largest texts and copies up to a budget. Every record in its colour.
// Every front end and every export draws through this, so these rules live here once.
#pragma once

#include "Device.h"
#include "DotMask.h"
#include "Painter.h"
#include "TextCache.h"
#include "TextLayout.h"
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
    std::uint8_t lightFill = 60;      // the opacity of a pattern hatch's fill
};

struct PaintStats {
    std::size_t textsDrawn = 0;  // in the font
    std::size_t textsBoxed = 0;  // as boxes, being small or past the budget
    std::size_t dots = 0;        // nodes or items below dust size
    std::size_t copiesDrawn = 0; // block copies walked
    std::size_t copiesBoxed = 0; // block copies drawn as boxes, being small or past the budget
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
    // The most work on blocks in one view: a record, a vertex, a step of an arc drawn as
    // segments and a copy looked at count one each; the smallest copies past it become boxes,
    // so that a million inserts never freeze a view.
    static constexpr std::size_t kBlockBudget = 200000;
    // Block copies smaller than this many pixels both ways are drawn as boxes.
    static constexpr double kCopyBoxPixels = 4;
    // The most copies of one array looked at in one view; past it the array is one box.
    static constexpr std::size_t kMostCopies = 1 << 18;
    // A CJK character fills about this much of the em: a text's em is its height over this.
    static constexpr double kCapPerEm = scene::kCapPerEm;

    // How much one view may do. A screen's view takes the budgets above; smaller ones reach
    // the same paths past them with small drawings (the fuzzer's).
    struct Limits {
        std::size_t texts;      // kTextBudget
        std::size_t blockWork;  // kBlockBudget: records, vertices, arc steps and copies
        std::size_t mostCopies; // kMostCopies
    };
    static constexpr Limits kScreenLimits{kTextBudget, kBlockBudget, kMostCopies};

    explicit Scene(Style style = {}, Limits limits = kScreenLimits)
        : style_(style), limits_(limits) {}

    // Draws drawing as view shows it onto painter, whose device is view.size large and
    // already cleared; nothing for a view whose scale, centre or size is no finite number.
    // Allocates only to grow its own buffers (kept for the next view) and for texts new to
    // cache.
    PaintStats draw(const drawing::Drawing& drawing, const ViewTransform& view, TextCache& cache,
                    Painter& painter);

    const Style& style() const noexcept { return style_; }

  private:
    struct Pass;
    // A text to draw in the font: of the drawing (block kTopLevel) or of a block, through map.
    struct Candidate {
        std::uint32_t block;
        std::uint32_t text;
        double pixels;
        drawing::Affine map;
        Color color;
        DeviceRect box;
    };
    // A copy of a block placed by a top-level insert, to walk largest first.
    struct Copy {
        std::uint32_t insert;
        std::uint32_t column, row;
        double pixels;
    };

    Style style_;
    Limits limits_;
    // Buffers of one view, kept so that the next one allocates nothing.
    std::vector<Candidate> readable_;
    std::vector<Copy> copies_;
    std::vector<DeviceRect> boxes_;
    std::vector<DeviceRect> copyBoxes_;
    std::vector<DevicePoint> points_;
    std::vector<DevicePoint> fillPoints_, clipped_, clipScratch_;
    std::vector<std::uint32_t> rings_;
    std::vector<TextLine> lines_;
    DotMask dots_;
    // The drawing's endless lines (XLINE, RAY), indexed by their base alone, found once.
    const drawing::Drawing* endlessOf_ = nullptr;
    std::size_t endlessPolylines_ = 0;
    std::vector<std::uint32_t> endless_;
};

// Draws drawing as view shows it onto painter, whose device is view.size large and already
// cleared, with a scene and a text cache of its own: for a picture made once, as an export is.
PaintStats drawOnce(const drawing::Drawing& drawing, const ViewTransform& view, Painter& painter);

} // namespace quillet::scene
