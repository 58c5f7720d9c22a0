// The SVG painter: one element per call, numbers to a hundredth of a pixel.
#include "SvgPainter.h"

#include "DotMask.h"
#include "TextCache.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace quillet::scene {

namespace {

// The faces texts are asked in, the first the viewer has winning.
constexpr const char* kFontFamilies = "'Noto Sans CJK JP', 'Yu Gothic UI', 'Yu Gothic', Meiryo, "
                                      "'Hiragino Sans', 'MS Gothic', sans-serif";

std::string num(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", std::abs(v) < 0.005 ? 0.0 : v);
    std::string s = buffer;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
    return s;
}

std::string rgb(Color c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.r, c.g, c.b);
    return buffer;
}

std::string opacity(const char* attribute, Color c) {
    return c.a == 255 ? std::string()
                      : std::string(" ") + attribute + "=\"" + num(c.a / 255.0) + "\"";
}

std::string strokeOf(const Stroke& s) {
    return "fill=\"none\" stroke=\"" + rgb(s.color) + "\" stroke-width=\"" +
           num(s.width > 0 ? s.width : 1) + "\"" + opacity("stroke-opacity", s.color);
}

std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // Control characters are no XML; they show as nothing anyway.
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
                out += c;
        }
    }
    return out;
}

} // namespace

SvgPainter::SvgPainter(std::ostream& out, DeviceSize size, std::string_view title,
                       TextMeasure measure)
    : out_(out), measure_(std::move(measure)) {
    out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" << num(size.width)
         << "\" height=\"" << num(size.height) << "\" viewBox=\"0 0 " << num(size.width) << ' '
         << num(size.height) << "\">\n<title>" << escaped(title) << "</title>\n"
         << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
}

void SvgPainter::finish() {
    out_ << "</svg>\n";
}

double SvgPainter::advance(std::u16string_view text) {
    return measure_(text);
}

void SvgPainter::polyline(std::span<const DevicePoint> points, const Stroke& stroke) {
    out_ << "<polyline " << strokeOf(stroke) << " points=\"";
    for (std::size_t i = 0; i < points.size(); ++i)
        out_ << (i ? " " : "") << num(points[i].x) << ',' << num(points[i].y);
    out_ << "\"/>\n";
}

void SvgPainter::arc(DevicePoint center, double radius, double startDegrees, double spanDegrees,
                     const Stroke& stroke) {
    const auto at = [&](double degrees) {
        const double t = degrees * std::numbers::pi / 180;
        return num(center.x + radius * std::cos(t)) + ' ' + num(center.y - radius * std::sin(t));
    };
    // Counterclockwise as seen is SVG's negative sweep; a whole circle in two halves.
    const int halves = spanDegrees >= 360 ? 2 : 1;
    const double step = spanDegrees / halves;
    out_ << "<path " << strokeOf(stroke) << " d=\"M" << at(startDegrees);
    for (int k = 1; k <= halves; ++k)
        out_ << " A" << num(radius) << ' ' << num(radius) << " 0 " << (step > 180 ? 1 : 0) << " 0 "
             << at(startDegrees + step * k);
    out_ << "\"/>\n";
}

void SvgPainter::fill(std::span<const DevicePoint> points, std::span<const std::uint32_t> ringSizes,
                      Color color) {
    out_ << "<path fill=\"" << rgb(color) << '"' << opacity("fill-opacity", color)
         << " fill-rule=\"evenodd\" d=\"";
    std::size_t at = 0;
    for (const std::uint32_t n : ringSizes) {
        for (std::uint32_t k = 0; k < n && at < points.size(); ++k, ++at)
            out_ << (k ? " L" : "M") << num(points[at].x) << ' ' << num(points[at].y);
        out_ << " Z ";
    }
    out_ << "\"/>\n";
}

void SvgPainter::fillRects(std::span<const DeviceRect> rects, Color color) {
    if (rects.empty())
        return;
    // One element each, so that overlaps darken as on the screen.
    out_ << "<g fill=\"" << rgb(color) << '"' << opacity("fill-opacity", color) << ">\n";
    for (const DeviceRect& r : rects)
        out_ << "<rect x=\"" << num(r.left) << "\" y=\"" << num(r.top) << "\" width=\""
             << num(std::max(r.width(), 0.5)) << "\" height=\"" << num(std::max(r.height(), 0.5))
             << "\"/>\n";
    out_ << "</g>\n";
}

void SvgPainter::dots(const DotMask& mask, Color color) {
    if (!mask.any())
        return;
    // Each row's runs of marked pixels as one rectangle of a path.
    out_ << "<path fill=\"" << rgb(color) << "\" d=\"";
    for (int y = 0; y < mask.height(); ++y) {
        const std::uint8_t* row = mask.row(y);
        for (int x = 0; x < mask.width();) {
            if (!row[x]) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < mask.width() && row[x])
                ++x;
            out_ << 'M' << start << ' ' << y << 'h' << (x - start) << "v1h" << (start - x) << 'z';
        }
    }
    out_ << "\"/>\n";
}

void SvgPainter::glyphRun(const GlyphRun& run) {
    for (const TextLine& line : run.lines) {
        out_ << "<text xml:space=\"preserve\" font-family=\"" << kFontFamilies << "\" font-size=\""
             << num(run.emPixels) << "\" fill=\"" << rgb(run.color) << '"'
             << opacity("fill-opacity", run.color) << " transform=\"translate(" << num(run.origin.x)
             << ' ' << num(run.origin.y) << ')';
        if (run.rotationDegrees != 0)
            out_ << " rotate(" << num(-run.rotationDegrees) << ')';
        out_ << " translate(" << num(line.x) << ' ' << num(line.y) << ')';
        if (run.xScale != 1)
            out_ << " scale(" << num(run.xScale) << " 1)";
        if (run.obliqueDegrees != 0)
            out_ << " skewX(" << num(-run.obliqueDegrees) << ')';
        out_ << "\">" << escaped(utf8Of(line.text)) << "</text>\n";
    }
}

void writeSvg(std::ostream& out, const drawing::Drawing& drawing, const ViewTransform& view,
              std::string_view title, TextMeasure measure) {
    SvgPainter painter(out, view.size, title, std::move(measure));
    Scene scene;
    TextCache cache;
    scene.draw(drawing, view, cache, painter);
    painter.finish();
}

} // namespace quillet::scene
