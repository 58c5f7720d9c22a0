// The SVG writer. Numbers are written with two decimals at most: a hundredth of a pixel is
// finer than any screen, and the file stays small.
#include "SvgPainter.h"

#include "DotMask.h"
#include "Scene.h"
#include "TextCache.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace quillet::scene {

namespace {

// The font families texts are written in, as the Qt preview asks for them.
constexpr const char* kFontFamilies =
    "'Noto Sans CJK JP', 'Noto Sans JP', 'IPAexGothic', 'IPAGothic', 'VL Gothic', "
    "'TakaoGothic', 'Droid Sans Fallback', 'Yu Gothic', 'Meiryo', 'MS Gothic', sans-serif";

void escaped(SinkWriter& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // Control characters have no place in XML 1.0.
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
                out += c;
        }
    }
}

} // namespace

double estimatedAdvance(std::u16string_view text) noexcept {
    double ems = 0;
    for (const char16_t c : text) {
        if (c >= 0xDC00 && c <= 0xDFFF)
            continue; // the second half of a pair
        ems += c < 0x80 ? 0.55 : (c >= 0xFF61 && c <= 0xFF9F) ? 0.5 : 1.0;
    }
    return ems;
}

SvgPainter::SvgPainter(SinkWriter& out, DeviceSize size, std::string_view title,
                       TextMeasure measure)
    : out_(out), measure_(std::move(measure)) {
    out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
    number(size.width);
    out_ += "\" height=\"";
    number(size.height);
    out_ += "\" viewBox=\"0 0 ";
    number(size.width);
    out_ += ' ';
    number(size.height);
    out_ += "\">\n<title>";
    escaped(out_, title);
    out_ += "</title>\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
}

void SvgPainter::finish() {
    out_ += "</svg>\n";
}

void SvgPainter::paint(const char* attribute, Color c) {
    char text[64];
    std::snprintf(text, sizeof text, " %s=\"#%02x%02x%02x\"", attribute, c.r, c.g, c.b);
    out_ += text;
    if (c.a != 255) {
        out_ += ' ';
        out_ += attribute;
        out_ += "-opacity=\"";
        number(c.a / 255.0);
        out_ += '"';
    }
}

void SvgPainter::stroke(const Stroke& s) {
    out_ += " fill=\"none\"";
    paint("stroke", s.color);
    out_ += " stroke-width=\"";
    number(s.width > 0 ? s.width : 1);
    out_ += '"';
}

double SvgPainter::advance(std::u16string_view text) {
    return measure_ ? measure_(text) : estimatedAdvance(text);
}

void SvgPainter::polyline(std::span<const DevicePoint> points, const Stroke& s) {
    out_ += "<polyline points=\"";
    for (std::size_t k = 0; k < points.size(); ++k) {
        if (k)
            out_ += ' ';
        number(points[k].x);
        out_ += ',';
        number(points[k].y);
    }
    out_ += '"';
    stroke(s);
    out_ += "/>\n";
}

void SvgPainter::arc(DevicePoint c, double r, double startDegrees, double spanDegrees,
                     const Stroke& s) {
    if (spanDegrees >= 360) {
        out_ += "<circle cx=\"";
        number(c.x);
        out_ += "\" cy=\"";
        number(c.y);
        out_ += "\" r=\"";
        number(r);
        out_ += '"';
    } else {
        // Counterclockwise as seen is against SVG's sweep, whose y runs down.
        const double a = startDegrees * (std::numbers::pi / 180.0);
        const double b = (startDegrees + spanDegrees) * (std::numbers::pi / 180.0);
        out_ += "<path d=\"M";
        number(c.x + r * std::cos(a));
        out_ += ' ';
        number(c.y - r * std::sin(a));
        out_ += "A";
        number(r);
        out_ += ' ';
        number(r);
        out_ += spanDegrees > 180 ? " 0 1 0 " : " 0 0 0 ";
        number(c.x + r * std::cos(b));
        out_ += ' ';
        number(c.y - r * std::sin(b));
        out_ += '"';
    }
    stroke(s);
    out_ += "/>\n";
}

void SvgPainter::fill(std::span<const DevicePoint> points, std::span<const std::uint32_t> ringSizes,
                      Color color) {
    out_ += "<path d=\"";
    std::size_t at = 0;
    for (const std::uint32_t n : ringSizes) {
        if (n == 0 || at + n > points.size())
            break;
        for (std::size_t k = at; k < at + n; ++k) {
            out_ += k == at ? 'M' : 'L';
            number(points[k].x);
            out_ += ' ';
            number(points[k].y);
        }
        out_ += 'Z';
        at += n;
    }
    out_ += "\" fill-rule=\"evenodd\"";
    paint("fill", color);
    out_ += "/>\n";
}

void SvgPainter::fillRects(std::span<const DeviceRect> rects, Color color) {
    out_ += "<g";
    paint("fill", color);
    out_ += ">\n";
    for (const DeviceRect& r : rects) {
        out_ += "<rect x=\"";
        number(r.left);
        out_ += "\" y=\"";
        number(r.top);
        out_ += "\" width=\"";
        number(r.width());
        out_ += "\" height=\"";
        number(r.height());
        out_ += "\"/>\n";
    }
    out_ += "</g>\n";
}

void SvgPainter::dots(const DotMask& mask, Color color) {
    // Each row's runs of marked pixels as one-pixel-high rectangles of one path.
    out_ += "<path d=\"";
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
            out_ += 'M' + std::to_string(x) + ' ' + std::to_string(y) + 'h' +
                    std::to_string(end - x) + "v1h-" + std::to_string(end - x) + 'Z';
            x = end;
        }
    }
    out_ += '"';
    paint("fill", color);
    out_ += "/>\n";
}

void SvgPainter::glyphRun(const GlyphRun& run) {
    for (const TextLine& line : run.lines) {
        if (line.text.empty())
            continue;
        out_ += "<text xml:space=\"preserve\" font-family=\"";
        out_ += kFontFamilies;
        out_ += "\" font-size=\"";
        number(run.emPixels);
        out_ += '"';
        paint("fill", run.color);
        out_ += " transform=\"translate(";
        number(run.origin.x);
        out_ += ' ';
        number(run.origin.y);
        out_ += ')';
        if (run.rotationDegrees != 0) {
            out_ += " rotate(";
            number(-run.rotationDegrees);
            out_ += ')';
        }
        if (line.x != 0 || line.y != 0) {
            out_ += " translate(";
            number(line.x);
            out_ += ' ';
            number(line.y);
            out_ += ')';
        }
        if (run.obliqueDegrees != 0) {
            out_ += " skewX(";
            number(-run.obliqueDegrees);
            out_ += ')';
        }
        if (run.xScale != 1) {
            out_ += " scale(";
            number(run.xScale);
            out_ += " 1)";
        }
        out_ += "\">";
        escaped(out_, utf8Of(line.text));
        out_ += "</text>\n";
    }
}

void writeSvg(const drawing::Drawing& drawing, const ViewTransform& view, std::string_view title,
              const TextMeasure& measure, platform::BlockSink& sink) {
    SinkWriter out(sink);
    SvgPainter svg(out, view.size, title, measure);
    drawOnce(drawing, view, svg);
    svg.finish();
    out.flush();
}

std::string svgOf(const drawing::Drawing& drawing, const ViewTransform& view,
                  std::string_view title, const TextMeasure& measure) {
    platform::MemorySink sink;
    writeSvg(drawing, view, title, measure, sink);
    return sink.bytes();
}

} // namespace quillet::scene
