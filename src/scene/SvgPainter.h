// A painter that writes SVG: the preview's SVG export for any front end. Texts stay text (in
// the CJK fonts named below); the front end measures them, since only it knows a font.
#pragma once

#include "Painter.h"
#include "Scene.h"

#include <functional>
#include <ostream>
#include <string_view>

namespace quillet::scene {

// Measures one line of text in ems of the text font, as Painter::advance does.
using TextMeasure = std::function<double(std::u16string_view text)>;

class SvgPainter final : public Painter {
  public:
    // Starts an SVG document of size pixels on out, titled title (UTF-8).
    SvgPainter(std::ostream& out, DeviceSize size, std::string_view title, TextMeasure measure);
    // Ends the document; call once after drawing.
    void finish();

    double advance(std::u16string_view text) override;
    void polyline(std::span<const DevicePoint> points, const Stroke& stroke) override;
    void arc(DevicePoint center, double radius, double startDegrees, double spanDegrees,
             const Stroke& stroke) override;
    void fill(std::span<const DevicePoint> points, std::span<const std::uint32_t> ringSizes,
              Color color) override;
    void fillRects(std::span<const DeviceRect> rects, Color color) override;
    void dots(const DotMask& mask, Color color) override;
    void glyphRun(const GlyphRun& run) override;

  private:
    std::ostream& out_;
    TextMeasure measure_;
};

// Writes drawing as view shows it as an SVG document of view.size to out; the stream's
// failure state tells whether it was written.
void writeSvg(std::ostream& out, const drawing::Drawing& drawing, const ViewTransform& view,
              std::string_view title, TextMeasure measure);

} // namespace quillet::scene
