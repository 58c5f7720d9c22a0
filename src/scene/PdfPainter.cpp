// The PDF writer. The page's content is one stream in device pixels under a matrix that turns
// them into points, y up; it is written as the scene paints and never held whole. Texts are
// in a CID font of the Adobe-Japan1 collection by UTF-16 codes (UniJIS-UTF16-H), which every
// PDF reader can map to a Japanese font of its own; a ToUnicode map of the codes used makes
// them extractable even by readers without that collection's tables. The font is not
// embedded, so its widths are the PDF's own (one em for every character): each character is
// moved to where the front end's font puts it, which keeps texts aligned as the preview
// aligns them.
#include "PdfPainter.h"

#include "DotMask.h"
#include "Scene.h"
#include "SvgPainter.h"
#include "TextCache.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>

namespace quillet::scene {

namespace {

// The font texts are named in: the preview's own face, which readers that lack it replace by
// a Japanese sans-serif of theirs.
constexpr std::string_view kFontName = "NotoSansCJKjp-Regular";
constexpr std::string_view kEncoding = "UniJIS-UTF16-H";

constexpr std::uint32_t kContent = 1, kContentLength = 2;

// Returns the CID that UniJIS-UTF16-H gives code when it is one of the characters whose
// widths the document states, ASCII and the half-width katakana; 0 for any other, which is
// one em wide.
std::uint32_t statedCid(std::uint32_t code) {
    if (code >= 0x20 && code <= 0x5B)
        return code - 0x1F;
    if (code >= 0x5D && code <= 0x7B)
        return code - 0x5D + 62;
    if (code >= 0xFF61 && code <= 0xFF9F)
        return code - 0xFF61 + 327;
    switch (code) {
    case 0x5C:
        return 97;
    case 0x7C:
        return 99;
    case 0x7D:
        return 94;
    case 0x7E:
        return 100;
    default:
        return 0;
    }
}

void hex4(SinkWriter& out, std::uint32_t unit) {
    char text[5];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(unit & 0xFFFF));
    out += std::string_view(text, 4);
}

// Writes a colour's channel as a fraction.
void channel(SinkWriter& out, std::uint8_t v) {
    out.number(v / 255.0, 3);
}

} // namespace

PdfPainter::PdfPainter(SinkWriter& out, DeviceSize size, TextMeasure measure)
    : out_(out), size_(size), measure_(std::move(measure)) {
    if (!(size_.width > 0) || !(size_.height > 0))
        size_ = {1, 1};
    pageHeight_ = kPdfPageWidth * size_.height / size_.width;
    // The mark of binary bytes tells transfer programs that the file is not text.
    out_ += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    beginObject(kContent);
    out_ += "<< /Length ";
    out_.integer(kContentLength);
    out_ += " 0 R >>\nstream\n";
    contentStart_ = out_.written();
    // Device pixels, y down, onto the page's points, y up; round ends and corners, as thin
    // CAD lines look best.
    const double k = kPdfPageWidth / size_.width;
    out_.number(k, 6);
    out_ += " 0 0 ";
    out_.number(-k, 6);
    out_ += " 0 ";
    out_.number(pageHeight_, 3);
    out_ += " cm\n1 J 1 j\n";
}

void PdfPainter::beginObject(std::uint32_t n) {
    if (offsets_.size() < n)
        offsets_.resize(n);
    offsets_[n - 1] = out_.written();
    out_.integer(n);
    out_ += " 0 obj\n";
}

double PdfPainter::advance(std::u16string_view text) {
    return measure_ ? measure_(text) : estimatedAdvance(text);
}

void PdfPainter::point(DevicePoint p, const char* op) {
    out_.number(p.x);
    out_ += ' ';
    out_.number(p.y);
    out_ += ' ';
    out_ += op;
    out_ += '\n';
}

void PdfPainter::useAlpha(std::uint8_t alpha) {
    if (alpha == alpha_)
        return;
    alpha_ = alpha;
    alphas_.set(alpha);
    out_ += "/A";
    out_.integer(alpha);
    out_ += " gs\n";
}

void PdfPainter::useStroke(const Stroke& stroke) {
    useAlpha(stroke.color.a);
    const Color c{stroke.color.r, stroke.color.g, stroke.color.b, 255};
    if (c != strokeColor_) {
        strokeColor_ = c;
        channel(out_, c.r);
        out_ += ' ';
        channel(out_, c.g);
        out_ += ' ';
        channel(out_, c.b);
        out_ += " RG\n";
    }
    // A width of 0 is PDF's thinnest line too: one pixel of the device that shows the page.
    const double width = std::isfinite(stroke.width) ? std::max(stroke.width, 0.0) : 0.0;
    if (width != lineWidth_) {
        lineWidth_ = width;
        out_.number(width);
        out_ += " w\n";
    }
}

void PdfPainter::useFill(Color color) {
    useAlpha(color.a);
    const Color c{color.r, color.g, color.b, 255};
    if (c == fillColor_)
        return;
    fillColor_ = c;
    channel(out_, c.r);
    out_ += ' ';
    channel(out_, c.g);
    out_ += ' ';
    channel(out_, c.b);
    out_ += " rg\n";
}

void PdfPainter::polyline(std::span<const DevicePoint> points, const Stroke& stroke) {
    if (points.size() < 2)
        return;
    useStroke(stroke);
    point(points[0], "m");
    for (std::size_t k = 1; k < points.size(); ++k)
        point(points[k], "l");
    out_ += "S\n";
}

void PdfPainter::arc(DevicePoint c, double r, double startDegrees, double spanDegrees,
                     const Stroke& stroke) {
    if (!(r > 0) || !(spanDegrees > 0))
        return;
    useStroke(stroke);
    // Bezier curves of at most a quarter each; counterclockwise as seen is y falling.
    const double span = std::min(spanDegrees, 360.0) * (std::numbers::pi / 180.0);
    const int pieces =
        std::max(1, static_cast<int>(std::ceil(span / (std::numbers::pi / 2) - 1e-9)));
    const double step = span / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    const auto at = [&](double a) {
        return DevicePoint{c.x + r * std::cos(a), c.y - r * std::sin(a)};
    };
    double a = startDegrees * (std::numbers::pi / 180.0);
    point(at(a), "m");
    for (int i = 0; i < pieces; ++i, a += step) {
        const DevicePoint p0 = at(a), p3 = at(a + step);
        // The tangent at angle t, as the angle grows: (-sin t, -cos t) times r.
        const DevicePoint p1{p0.x - k * r * std::sin(a), p0.y - k * r * std::cos(a)};
        const DevicePoint p2{p3.x + k * r * std::sin(a + step), p3.y + k * r * std::cos(a + step)};
        for (const DevicePoint& p : {p1, p2}) {
            out_.number(p.x);
            out_ += ' ';
            out_.number(p.y);
            out_ += ' ';
        }
        point(p3, "c");
    }
    out_ += spanDegrees >= 360 ? "h S\n" : "S\n";
}

void PdfPainter::fill(std::span<const DevicePoint> points, std::span<const std::uint32_t> ringSizes,
                      Color color) {
    if (color.a == 0)
        return;
    bool any = false;
    std::size_t at = 0;
    for (const std::uint32_t n : ringSizes) {
        if (n == 0 || at + n > points.size())
            break;
        if (!any)
            useFill(color);
        any = true;
        point(points[at], "m");
        for (std::size_t k = at + 1; k < at + n; ++k)
            point(points[k], "l");
        out_ += "h\n";
        at += n;
    }
    if (any)
        out_ += "f*\n";
}

void PdfPainter::fillRects(std::span<const DeviceRect> rects, Color color) {
    if (rects.empty() || color.a == 0)
        return;
    useFill(color);
    // One fill each, so that translucent boxes darken where they overlap.
    for (const DeviceRect& r : rects) {
        out_.number(r.left);
        out_ += ' ';
        out_.number(r.top);
        out_ += ' ';
        out_.number(r.width());
        out_ += ' ';
        out_.number(r.height());
        out_ += " re f\n";
    }
}

void PdfPainter::dots(const DotMask& mask, Color color) {
    if (!mask.any())
        return;
    useFill(color);
    // Each row's runs of marked pixels as one-pixel-high rectangles of one path.
    bool any = false;
    for (int y = 0; y < mask.height(); ++y) {
        const std::uint8_t* row = mask.row(y);
        for (int x = 0; x < mask.width();) {
            if (!row[x]) {
                ++x;
                continue;
            }
            int end = x;
            while (end < mask.width() && row[end])
                ++end;
            out_.integer(x);
            out_ += ' ';
            out_.integer(y);
            out_ += ' ';
            out_.integer(end - x);
            out_ += " 1 re\n";
            any = true;
            x = end;
        }
    }
    if (any)
        out_ += "f\n";
}

double PdfPainter::widthOf(char32_t cp, std::u16string_view units) {
    const auto [at, isNew] = widths_.try_emplace(cp, 0.0);
    if (isNew)
        at->second = advance(units);
    return at->second;
}

double PdfPainter::statedWidth(std::uint32_t code) {
    const std::uint32_t cid = statedCid(code);
    if (cid == 0)
        return 1;
    const auto [at, isNew] = stated_.try_emplace(cid, 0);
    if (isNew) {
        const char16_t unit = static_cast<char16_t>(code);
        at->second = static_cast<int>(std::lround(widthOf(code, {&unit, 1}) * 1000));
    }
    return at->second / 1000.0;
}

void PdfPainter::glyphs(std::u16string_view text) {
    // A code advances by the font's width (stated for Latin letters and half-width kana, one
    // em for the rest) and the character spacing, which makes up the rest of its measured
    // width. Readers take the font's width as the character's box, so the stated ones keep
    // a Latin word together when its text is extracted.
    bool open = false;
    for (std::size_t i = 0; i < text.size();) {
        const char16_t unit = text[i];
        std::u16string_view units = text.substr(i, 1);
        std::uint32_t code = unit;
        char32_t cp = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            units = text.substr(i, 2);
            code = (std::uint32_t{unit} << 16) | text[i + 1];
            cp = 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            code = cp = 0xFFFD; // half of a pair, which no font can show
        } else if (unit < 0x20) {
            code = 0x20; // a tab or another control shows as the blank it takes
        }
        i += units.size();
        const double wanted = std::round((widthOf(cp, units) - statedWidth(code)) * 1e4) / 1e4;
        if (wanted != spacing_) {
            if (open)
                out_ += "> Tj\n";
            open = false;
            out_.number(wanted, 4);
            out_ += " Tc\n";
            spacing_ = wanted;
        }
        if (!open)
            out_ += '<';
        open = true;
        if (code > 0xFFFF) {
            hex4(out_, code >> 16);
            hex4(out_, code);
            pairs_.insert(code);
        } else {
            hex4(out_, code);
            units_.set(code);
        }
    }
    if (open)
        out_ += "> Tj\n";
}

void PdfPainter::glyphRun(const GlyphRun& run) {
    if (!(run.emPixels > 0) || !std::isfinite(run.emPixels) || run.color.a == 0)
        return;
    const double turn = run.rotationDegrees * (std::numbers::pi / 180.0);
    const double c = std::cos(turn), s = std::sin(turn);
    const double slant = std::tan(run.obliqueDegrees * (std::numbers::pi / 180.0));
    const double em = run.emPixels, stretch = run.xScale;
    bool begun = false;
    for (const TextLine& line : run.lines) {
        if (line.text.empty())
            continue;
        if (!begun) {
            useFill(run.color);
            out_ += "BT\n/F1 1 Tf\n";
            begun = true;
        }
        // A glyph's point (x, y up) in ems, stretched and slanted along the baseline, put
        // at the line's start, turned about the origin as seen on the device (y down).
        const double m[6] = {c * stretch * em,
                             -s * stretch * em,
                             (c * slant - s) * em,
                             (-s * slant - c) * em,
                             run.origin.x + c * line.x + s * line.y,
                             run.origin.y - s * line.x + c * line.y};
        for (int k = 0; k < 6; ++k) {
            out_.number(m[k], k < 4 ? 4 : 2);
            out_ += ' ';
        }
        out_ += "Tm\n";
        glyphs(line.text);
    }
    if (begun) {
        out_ += "ET\n";
        anyText_ = true;
    }
}

void PdfPainter::writeToUnicode() {
    // The codes are UTF-16, so each maps to itself: runs that share their first byte as
    // ranges, pairs one by one, a hundred to a block as the format allows.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
    for (std::uint32_t u = 0; u < 0x10000;) {
        if (!units_.test(u)) {
            ++u;
            continue;
        }
        std::uint32_t last = u;
        while (last + 1 < 0x10000 && units_.test(last + 1) && ((last + 1) & 0xFF) != 0)
            ++last;
        ranges.emplace_back(u, last);
        u = last + 1;
    }
    std::string map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "3 begincodespacerange\n<0000> <D7FF>\n<D800DC00> <DBFFDFFF>\n"
                      "<E000> <FFFF>\nendcodespacerange\n";
    char text[64];
    for (std::size_t k = 0; k < ranges.size(); k += 100) {
        const std::size_t n = std::min<std::size_t>(100, ranges.size() - k);
        map += std::to_string(n) + " beginbfrange\n";
        for (std::size_t j = k; j < k + n; ++j) {
            std::snprintf(text, sizeof text, "<%04X> <%04X> <%04X>\n", ranges[j].first,
                          ranges[j].second, ranges[j].first);
            map += text;
        }
        map += "endbfrange\n";
    }
    const std::vector<std::uint32_t> pairs(pairs_.begin(), pairs_.end());
    for (std::size_t k = 0; k < pairs.size(); k += 100) {
        const std::size_t n = std::min<std::size_t>(100, pairs.size() - k);
        map += std::to_string(n) + " beginbfchar\n";
        for (std::size_t j = k; j < k + n; ++j) {
            std::snprintf(text, sizeof text, "<%08X> <%08X>\n", pairs[j], pairs[j]);
            map += text;
        }
        map += "endbfchar\n";
    }
    map += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    out_ += "<< /Length ";
    out_.integer(static_cast<std::int64_t>(map.size()));
    out_ += " >>\nstream\n";
    out_ += map;
    out_ += "endstream\nendobj\n";
}

void PdfPainter::writeFont(std::uint32_t font) {
    const std::uint32_t cidFont = font + 1, descriptor = font + 2, toUnicode = font + 3;
    beginObject(font);
    out_ += "<< /Type /Font /Subtype /Type0 /BaseFont /";
    out_ += kFontName;
    out_ += '-';
    out_ += kEncoding;
    out_ += " /Encoding /";
    out_ += kEncoding;
    out_ += " /DescendantFonts [";
    out_.integer(cidFont);
    out_ += " 0 R] /ToUnicode ";
    out_.integer(toUnicode);
    out_ += " 0 R >>\nendobj\n";
    beginObject(cidFont);
    out_ += "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /";
    out_ += kFontName;
    out_ += " /CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) /Supplement 6 >>"
            " /FontDescriptor ";
    out_.integer(descriptor);
    out_ += " 0 R /DW 1000 /W [";
    // Consecutive CIDs in one list.
    std::uint32_t next = 0;
    for (const auto& [cid, width] : stated_) {
        if (cid != next) {
            if (next != 0)
                out_ += "] ";
            out_.integer(cid);
            out_ += " [";
        } else {
            out_ += ' ';
        }
        out_.integer(width);
        next = cid + 1;
    }
    if (next != 0)
        out_ += ']';
    out_ += "] >>\nendobj\n";
    // A sans-serif face (no Serif flag), non-Latin (Symbolic), of the usual CJK proportions.
    beginObject(descriptor);
    out_ += "<< /Type /FontDescriptor /FontName /";
    out_ += kFontName;
    out_ += " /Flags 4 /FontBBox [-1002 -1048 2928 1808] /ItalicAngle 0 /Ascent 880"
            " /Descent -120 /CapHeight 733 /StemV 80 >>\nendobj\n";
    beginObject(toUnicode);
    writeToUnicode();
}

void PdfPainter::finish(std::string_view title) {
    const std::uint64_t length = out_.written() - contentStart_;
    out_ += "\nendstream\nendobj\n";
    beginObject(kContentLength);
    out_.integer(static_cast<std::int64_t>(length));
    out_ += "\nendobj\n";

    std::uint32_t next = kContentLength + 1;
    const std::uint32_t font = anyText_ ? next : 0;
    if (anyText_) {
        writeFont(font);
        next += 4;
    }
    const std::uint32_t page = next++, pages = next++, catalog = next++, info = next++;
    beginObject(page);
    out_ += "<< /Type /Page /Parent ";
    out_.integer(pages);
    out_ += " 0 R /MediaBox [0 0 ";
    out_.number(kPdfPageWidth, 3);
    out_ += ' ';
    out_.number(pageHeight_, 3);
    out_ += "] /Contents ";
    out_.integer(kContent);
    out_ += " 0 R /Resources <<";
    if (anyText_) {
        out_ += " /Font << /F1 ";
        out_.integer(font);
        out_ += " 0 R >>";
    }
    if (alphas_.any()) {
        out_ += " /ExtGState <<";
        for (int a = 0; a < 256; ++a) {
            if (!alphas_.test(static_cast<std::size_t>(a)))
                continue;
            out_ += " /A";
            out_.integer(a);
            out_ += " << /ca ";
            out_.number(a / 255.0, 3);
            out_ += " /CA ";
            out_.number(a / 255.0, 3);
            out_ += " >>";
        }
        out_ += " >>";
    }
    out_ += " >> >>\nendobj\n";
    beginObject(pages);
    out_ += "<< /Type /Pages /Kids [";
    out_.integer(page);
    out_ += " 0 R] /Count 1 >>\nendobj\n";
    beginObject(catalog);
    out_ += "<< /Type /Catalog /Pages ";
    out_.integer(pages);
    out_ += " 0 R >>\nendobj\n";
    // The title in UTF-16 with its byte-order mark, as hex: any name, any character.
    beginObject(info);
    out_ += "<< /Title <FEFF";
    for (const char16_t unit : utf16Of(title))
        hex4(out_, unit);
    out_ += "> /Creator (Quillet) >>\nendobj\n";

    const std::uint64_t xref = out_.written();
    out_ += "xref\n0 ";
    out_.integer(next);
    out_ += "\n0000000000 65535 f \n";
    char entry[32];
    for (const std::uint64_t at : offsets_) {
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n",
                      static_cast<unsigned long long>(at));
        out_ += entry;
    }
    out_ += "trailer\n<< /Size ";
    out_.integer(next);
    out_ += " /Root ";
    out_.integer(catalog);
    out_ += " 0 R /Info ";
    out_.integer(info);
    out_ += " 0 R >>\nstartxref\n";
    out_.integer(static_cast<std::int64_t>(xref));
    out_ += "\n%%EOF\n";
}

void writePdf(const drawing::Drawing& drawing, const ViewTransform& view, std::string_view title,
              const TextMeasure& measure, platform::BlockSink& sink) {
    SinkWriter out(sink);
    PdfPainter pdf(out, view.size, measure);
    Scene scene;
    TextCache cache;
    scene.draw(drawing, view, cache, pdf);
    pdf.finish(title);
    out.flush();
}

std::string pdfOf(const drawing::Drawing& drawing, const ViewTransform& view,
                  std::string_view title, const TextMeasure& measure) {
    platform::MemorySink sink;
    writePdf(drawing, view, title, measure, sink);
    return sink.bytes();
}

} // namespace quillet::scene
