// A Painter that writes SVG text: the preview's SVG export, the same for every front end.
// Texts stay texts (in the preview's CJK font families), lines stay lines.
#pragma once

#include "Painter.h"
#include "SinkWriter.h"
#include "TextLayout.h"
#include "ViewTransform.h"

#include "drawing/Drawing.h"

#include <functional>
#include <string>
#include <string_view>

namespace quillet::scene {

// Returns an estimate of a line's advance in ems without a font: half-width characters half
// an em or a little more, everything else one.
double estimatedAdvance(std::u16string_view text) noexcept;

class SvgPainter final : public Painter {
  public:
    // Starts an SVG document of size, titled title (UTF-8), in out; measure (estimatedAdvance
    // when empty) is what texts are aligned by. Throws what out throws.
    SvgPainter(SinkWriter& out, DeviceSize size, std::string_view title, TextMeasure measure = {});
    SvgPainter(const SvgPainter&) = delete;
    SvgPainter& operator=(const SvgPainter&) = delete;

    double advance(std::u16string_view text) override;
    void polyline(std::span<const DevicePoint> points, const Stroke& stroke) override;
    void arc(DevicePoint center, double radius, double startDegrees, double spanDegrees,
             const Stroke& stroke) override;
    void fill(std::span<const DevicePoint> points, std::span<const std::uint32_t> ringSizes,
              Color color) override;
    void fillRects(std::span<const DeviceRect> rects, Color color) override;
    void dots(const DotMask& mask, Color color) override;
    void glyphRun(const GlyphRun& run) override;

    // Closes the document; throws what out throws.
    void finish();

  private:
    void number(double v) { out_.number(v); }
    void stroke(const Stroke& s);
    void paint(const char* attribute, Color c);

    SinkWriter& out_;
    TextMeasure measure_;
};

// Writes drawing as view shows it as an SVG document titled title, on a white ground, into
// sink; throws what the sink throws.
void writeSvg(const drawing::Drawing& drawing, const ViewTransform& view, std::string_view title,
              const TextMeasure& measure, platform::BlockSink& sink);

// Returns that document.
std::string svgOf(const drawing::Drawing& drawing, const ViewTransform& view,
                  std::string_view title, const TextMeasure& measure = {});

} // namespace quillet::scene
