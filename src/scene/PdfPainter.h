// A Painter that writes a one-page PDF: the preview's PDF export, the same for every front
// end. Lines, arcs and fills stay vectors; texts stay texts, in a Japanese font the reader
// supplies (named, not embedded), so that they can be searched and copied.
#pragma once

#include "Painter.h"
#include "SinkWriter.h"
#include "TextLayout.h"
#include "ViewTransform.h"

#include "drawing/Drawing.h"

#include <bitset>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
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
    void useFill(Color color);
    void useAlpha(std::uint8_t alpha);
    // Returns the width of the character cp (units in UTF-16) in ems, measured once.
    double widthOf(char32_t cp, std::u16string_view units);
    // Returns the width in ems the font gives code.
    double statedWidth(std::uint32_t code);
    // Writes a line's characters as the font's codes, each spaced as measure has it.
    void glyphs(std::u16string_view text);
    // Starts object n, noting where it starts.
    void beginObject(std::uint32_t n);
    void writeFont(std::uint32_t font);
    void writeToUnicode();

    SinkWriter& out_;
    DeviceSize size_;
    double pageHeight_;
    TextMeasure measure_;
    std::uint64_t contentStart_ = 0;
    std::vector<std::uint64_t> offsets_; // where object n starts, at n - 1

    // What the content stream has set, so that it is set again only when it changes.
    Color strokeColor_{0, 0, 0, 255};
    Color fillColor_{0, 0, 0, 255};
    double lineWidth_ = 1;
    double spacing_ = 0; // the character spacing, in ems
    std::uint8_t alpha_ = 255;
    std::bitset<256> alphas_; // the opacities used, each an ExtGState

    std::unordered_map<char32_t, double> widths_;
    std::map<std::uint32_t, int> stated_; // the font's widths by CID, in thousandths of an em
    // The character codes written (UTF-16, a pair as one code): the ToUnicode map's entries.
    std::bitset<0x10000> units_;
    std::set<std::uint32_t> pairs_;
    bool anyText_ = false;
};

// Writes drawing as view shows it as a one-page PDF titled title into sink; throws what the
// sink throws.
void writePdf(const drawing::Drawing& drawing, const ViewTransform& view, std::string_view title,
              const TextMeasure& measure, platform::BlockSink& sink);

// Returns that document.
std::string pdfOf(const drawing::Drawing& drawing, const ViewTransform& view,
                  std::string_view title, const TextMeasure& measure = {});

} // namespace quillet::scene
