// A Painter that writes a one-page PDF: the preview's PDF export, the same for every front
// end. Lines, arcs and fills stay vectors; texts stay texts (PdfFont), so that they can be
// searched and copied.
#pragma once

#include "Painter.h"
#include "PdfFont.h"
#include "SinkWriter.h"
#include "TextLayout.h"
#include "ViewTransform.h"

#include "drawing/Drawing.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::scene {

// The page's width in points: as wide as A4 is long, 297 mm.
inline constexpr double kPdfPageWidth = 297 / 25.4 * 72;

class PdfPainter final : public Painter {
  public:
    // Starts a document whose one page, kPdfPageWidth wide and of size's proportions, shows a
    // device of size, in out; measure (estimatedAdvance when empty) places each character of a
    // text. Throws what out throws.
    PdfPainter(SinkWriter& out, DeviceSize size, TextMeasure measure = {});
    PdfPainter(const PdfPainter&) = delete;
    PdfPainter& operator=(const PdfPainter&) = delete;

    double advance(std::u16string_view text) override;
    void polyline(std::span<const DevicePoint> points, const Stroke& stroke) override;
    void arc(DevicePoint center, double radius, double startDegrees, double spanDegrees,
             const Stroke& stroke) override;
    void fill(std::span<const DevicePoint> points, std::span<const std::uint32_t> ringSizes,
              Color color) override;
    void fillRects(std::span<const DeviceRect> rects, Color color) override;
    void dots(const DotMask& mask, Color color) override;
    void glyphRun(const GlyphRun& run) override;

    // Ends the page and writes the font, the page, the document's information (title, UTF-8,
    // and the creator) and the cross references; throws what out throws.
    void finish(std::string_view title);

  private:
    void point(DevicePoint p, const char* op);
    void useStroke(const Stroke& stroke);
    // Sets the fill's (op "rg") or the stroke's ("RG") colour, kept in current, and opacity.
    void useColour(Color color, Color& current, const char* op);
    void useAlpha(std::uint8_t alpha);
    // Starts object n, noting where it starts.
    void beginObject(std::uint32_t n);

    SinkWriter& out_;
    DeviceSize size_;
    double pageHeight_;
    PdfFont font_;
    std::uint64_t contentStart_ = 0;
    std::vector<std::uint64_t> offsets_; // where object n starts, at n - 1

    // What the content stream has set, so that it is set again only when it changes.
    Color strokeColor_{0, 0, 0, 255};
    Color fillColor_{0, 0, 0, 255};
    double lineWidth_ = 1;
    std::uint8_t alpha_ = 255;
    std::bitset<256> alphas_; // the opacities used, each an ExtGState
};

// Writes drawing as view shows it as a one-page PDF titled title into sink; throws what the
// sink throws.
void writePdf(const drawing::Drawing& drawing, const ViewTransform& view, std::string_view title,
              const TextMeasure& measure, platform::BlockSink& sink);

// Returns that document.
std::string pdfOf(const drawing::Drawing& drawing, const ViewTransform& view,
                  std::string_view title, const TextMeasure& measure = {});

} // namespace quillet::scene
