// The scene's painter in GDI, onto a 32-bit top-down DIB section: lines, arcs and polygons
// with GDI's own calls, texts with ExtTextOutW under a world transform (rotation, width
// factor) in a CJK font, and the translucent boxes and dots written into the pixels directly.
#pragma once

#include "scene/Painter.h"
#include "scene/TextLayout.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::window::win32::preview {

// A 32-bit top-down DIB section with a memory DC, the surface the painter draws on.
class Surface {
  public:
    Surface() = default;
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Makes the surface width x height pixels (kept when it is that size already); returns
    // false when Windows gives no bitmap that large.
    bool resize(int width, int height);
    // Paints every pixel white.
    void clear();

    HDC dc() const noexcept { return dc_; }
    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    // Returns row y's pixels, blue, green, red, unused, after GDI has finished drawing.
    std::uint32_t* row(int y) const noexcept;

  private:
    void release() noexcept;

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// Returns the face texts are drawn in: the first CJK face the system has of Yu Gothic UI,
// Meiryo, Noto Sans CJK JP, MS Gothic and their kin, else any face with Japanese glyphs.
const std::wstring& textFace();

// Returns a font of textFace() at pixelSize (the em), antialiased; the caller deletes it.
HFONT makeTextFont(int pixelSize);

// Returns a measure of texts in the font the painter draws them in, for fitting a view to
// what the texts really take; it keeps its own device context, for the thread it is used on.
scene::TextMeasure textMeasure();

class GdiPainter final : public scene::Painter {
  public:
    // Paints on surface, which outlives the painter.
    explicit GdiPainter(Surface& surface);
    ~GdiPainter() override;
    GdiPainter(const GdiPainter&) = delete;
    GdiPainter& operator=(const GdiPainter&) = delete;

    double advance(std::u16string_view text) override;
    void polyline(std::span<const scene::DevicePoint> points, const scene::Stroke& stroke) override;
    void arc(scene::DevicePoint center, double radius, double startDegrees, double spanDegrees,
             const scene::Stroke& stroke) override;
    void fill(std::span<const scene::DevicePoint> points, std::span<const std::uint32_t> ringSizes,
              scene::Color color) override;
    void fillRects(std::span<const scene::DeviceRect> rects, scene::Color color) override;
    void dots(const scene::DotMask& mask, scene::Color color) override;
    void glyphRun(const scene::GlyphRun& run) override;

    // Texts are shaped at this pixel size and scaled by the world transform: one glyph cache,
    // and zooming does not jump between integer sizes.
    static constexpr int kFontPixels = 64;

  private:
    void usePen(const scene::Stroke& stroke);
    void drawPoints(const scene::Stroke& stroke);
    void blendRect(int x0, int y0, int x1, int y1, scene::Color color);

    Surface& surface_;
    HFONT font_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    HPEN pen_ = nullptr;
    HGDIOBJ oldPen_ = nullptr;
    scene::Stroke penStroke_;
    std::vector<POINT> points_;
};

} // namespace quillet::window::win32::preview
