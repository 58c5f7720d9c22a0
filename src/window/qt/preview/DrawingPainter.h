// Draws the preview's scene with QPainter: texts in a CJK font at the scene's size, turn and
// stretch, lines and boxes unsmoothed, the dots as one image. Used by the view and by every
// export.
#pragma once

#include "ViewTransform.h"

#include "drawing/Drawing.h"
#include "scene/Painter.h"
#include "scene/Scene.h"
#include "scene/SvgPainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QStringList>
#include <QTransform>

#include <vector>

class QPainter;

namespace quillet::window::qt::preview {

class DrawingPainter : public scene::Painter {
  public:
    // Draws onto painter, whose state is restored when this goes.
    explicit DrawingPainter(QPainter& painter);
    ~DrawingPainter() override;
    DrawingPainter(const DrawingPainter&) = delete;
    DrawingPainter& operator=(const DrawingPainter&) = delete;

    double advance(std::u16string_view text) override;
    void polyline(std::span<const scene::DevicePoint> points, const scene::Stroke& stroke) override;
    void arc(scene::DevicePoint center, double radius, double startDegrees, double spanDegrees,
             const scene::Stroke& stroke) override;
    void fill(std::span<const scene::DevicePoint> points, std::span<const std::uint32_t> ringSizes,
              scene::Color color) override;
    void fillRects(std::span<const scene::DeviceRect> rects, scene::Color color) override;
    void dots(const scene::DotMask& mask, scene::Color color) override;
    void glyphRun(const scene::GlyphRun& run) override;

  private:
    void smooth(bool on);
    void strokeWith(const scene::Stroke& stroke);

    QPainter& painter_;
    QFont font_;
    QFontMetricsF metrics_;
    QTransform base_;
    std::vector<QPointF> points_;
    bool smooth_ = false;
};

// Paints drawing as view shows it with painter, whose device is view.size large and already
// cleared, through scene (whose buffers it keeps) and cache.
scene::PaintStats paintDrawing(QPainter& painter, const drawing::Drawing& drawing,
                               const scene::ViewTransform& view, scene::TextCache& cache,
                               scene::Scene& scene);

// Returns how the text font measures a line, in ems, for writers that draw no glyphs (SVG).
scene::TextMeasure textMeasure();

// Returns the family list texts are drawn in: Noto Sans CJK JP first, then other Japanese
// fonts, then whatever the system offers.
QStringList textFontFamilies();

} // namespace quillet::window::qt::preview
