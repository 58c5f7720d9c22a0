// The PDF writer. The page's content is one stream in device pixels under a matrix that turns
// them into points, y up; it is written as the scene paints and never held whole, and the
// objects that depend on what it used (the font, the opacities) follow it.
#include "PdfPainter.h"

#include "DotMask.h"
#include "Scene.h"
#include "TextCache.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>

namespace quillet::scene {

namespace {

constexpr std::uint32_t kContent = 1, kContentLength = 2;

} // namespace

PdfPainter::PdfPainter(SinkWriter& out, DeviceSize size, TextMeasure measure)
    : out_(out), size_(size), font_(std::move(measure)) {
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
    return font_.advance(text);
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

void PdfPainter::useColour(Color color, Color& current, const char* op) {
    useAlpha(color.a);
    const Color c{color.r, color.g, color.b, 255};
    if (c == current)
        return;
    current = c;
    for (const std::uint8_t v : {c.r, c.g, c.b}) {
        out_.number(v / 255.0, 3);
        out_ += ' ';
    }
    out_ += op;
    out_ += '\n';
}

void PdfPainter::useStroke(const Stroke& stroke) {
    useColour(stroke.color, strokeColor_, "RG");
    // A width of 0 is PDF's thinnest line too: one pixel of the device that shows the page.
    const double width = std::isfinite(stroke.width) ? std::max(stroke.width, 0.0) : 0.0;
    if (width != lineWidth_) {
        lineWidth_ = width;
        out_.number(width);
        out_ += " w\n";
    }
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
            useColour(color, fillColor_, "rg");
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
    useColour(color, fillColor_, "rg");
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
    useColour(color, fillColor_, "rg");
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
            useColour(run.color, fillColor_, "rg");
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
        font_.show(out_, line.text);
    }
    if (begun)
        out_ += "ET\n";
}

void PdfPainter::finish(std::string_view title) {
    const std::uint64_t length = out_.written() - contentStart_;
    out_ += "\nendstream\nendobj\n";
    beginObject(kContentLength);
    out_.integer(static_cast<std::int64_t>(length));
    out_ += "\nendobj\n";

    std::uint32_t next = kContentLength + 1;
    const std::uint32_t font = font_.used() ? next : 0;
    if (font_.used()) {
        font_.writeObjects(out_, font, [this](std::uint32_t n) { beginObject(n); });
        next += PdfFont::kObjects;
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
    if (font_.used()) {
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
        out_.hex(unit, 4);
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
    drawOnce(drawing, view, pdf);
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
