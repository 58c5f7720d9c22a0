// The GDI painter. GDI draws lines and texts; boxes and dots go straight into the DIB's
// pixels, which is both the fastest way and the only one that blends without AlphaBlend's
// premultiplied sources.
#include "GdiPainter.h"

#include "scene/DotMask.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

namespace quillet::window::win32::preview {

namespace {

int CALLBACK faceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

int CALLBACK japaneseFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM face) {
    // A scalable face, not a vertical one ("@MS Gothic").
    if ((type & TRUETYPE_FONTTYPE) && font->lfFaceName[0] != L'@') {
        *reinterpret_cast<std::wstring*>(face) = font->lfFaceName;
        return 0;
    }
    return 1;
}

std::wstring findTextFace() {
    static constexpr std::array kFaces = {
        L"Yu Gothic UI",       L"Meiryo UI",          L"Meiryo",       L"Noto Sans CJK JP",
        L"Noto Sans JP",       L"Source Han Sans JP", L"MS UI Gothic", L"MS Gothic",
        L"IPAexGothic",        L"IPAGothic",          L"VL Gothic",    L"TakaoGothic",
        L"Droid Sans Fallback"};
    HDC dc = GetDC(nullptr);
    std::wstring face;
    for (const wchar_t* name : kFaces) {
        LOGFONTW want{};
        want.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(want.lfFaceName, name, LF_FACESIZE - 1);
        bool found = false;
        EnumFontFamiliesExW(dc, &want, faceFound, reinterpret_cast<LPARAM>(&found), 0);
        if (found) {
            face = name;
            break;
        }
    }
    if (face.empty()) {
        LOGFONTW want{};
        want.lfCharSet = SHIFTJIS_CHARSET;
        EnumFontFamiliesExW(dc, &want, japaneseFace, reinterpret_cast<LPARAM>(&face), 0);
    }
    ReleaseDC(nullptr, dc);
    return face.empty() ? std::wstring(L"MS Shell Dlg 2") : face;
}

COLORREF colorRef(scene::Color c) {
    return RGB(c.r, c.g, c.b);
}

std::uint32_t pixelOf(scene::Color c) {
    return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

} // namespace

Surface::~Surface() {
    release();
}

void Surface::release() noexcept {
    if (dc_) {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    if (bitmap_)
        DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
}

bool Surface::resize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (dc_ && width == width_ && height == height_)
        return true;
    release();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_)
        return false;
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) {
        release();
        return false;
    }
    previous_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<std::uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

void Surface::clear() {
    GdiFlush();
    if (bits_)
        std::fill_n(bits_, static_cast<std::size_t>(width_) * height_, 0xffffffu);
}

std::uint32_t* Surface::row(int y) const noexcept {
    return bits_ + static_cast<std::ptrdiff_t>(y) * width_;
}

const std::wstring& textFace() {
    static const std::wstring face = findTextFace();
    return face;
}

HFONT makeTextFont(int pixelSize) {
    LOGFONTW f{};
    f.lfHeight = -pixelSize;
    f.lfWeight = FW_NORMAL;
    f.lfCharSet = DEFAULT_CHARSET;
    f.lfOutPrecision = OUT_TT_PRECIS;
    f.lfQuality = ANTIALIASED_QUALITY;
    wcsncpy(f.lfFaceName, textFace().c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&f);
}

scene::TextMeasure textMeasure() {
    struct Measuring {
        Surface surface;
        std::unique_ptr<GdiPainter> painter;
    };
    auto measuring = std::make_shared<Measuring>();
    measuring->surface.resize(1, 1);
    measuring->painter = std::make_unique<GdiPainter>(measuring->surface);
    return [measuring](std::u16string_view text) { return measuring->painter->advance(text); };
}

GdiPainter::GdiPainter(Surface& surface) : surface_(surface) {
    HDC dc = surface_.dc();
    SetGraphicsMode(dc, GM_ADVANCED);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    font_ = makeTextFont(kFontPixels);
    oldFont_ = SelectObject(dc, font_);
    pen_ = CreatePen(PS_SOLID, 0, 0);
    oldPen_ = SelectObject(dc, pen_);
}

GdiPainter::~GdiPainter() {
    HDC dc = surface_.dc();
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    SelectObject(dc, oldFont_);
    SelectObject(dc, oldPen_);
    DeleteObject(font_);
    DeleteObject(pen_);
    GdiFlush();
}

void GdiPainter::usePen(const scene::Stroke& stroke) {
    if (stroke == penStroke_)
        return;
    HPEN pen =
        CreatePen(PS_SOLID, static_cast<int>(std::lround(stroke.width)), colorRef(stroke.color));
    SelectObject(surface_.dc(), pen);
    DeleteObject(pen_);
    pen_ = pen;
    penStroke_ = stroke;
}

void GdiPainter::drawPoints(const scene::Stroke& stroke) {
    Polyline(surface_.dc(), points_.data(), static_cast<int>(points_.size()));
    // GDI leaves a line's last pixel out; the end of a stroke is part of it.
    if (stroke.width <= 1)
        SetPixelV(surface_.dc(), points_.back().x, points_.back().y, colorRef(stroke.color));
}

double GdiPainter::advance(std::u16string_view text) {
    SIZE size{};
    GetTextExtentPoint32W(surface_.dc(), reinterpret_cast<const wchar_t*>(text.data()),
                          static_cast<int>(text.size()), &size);
    return static_cast<double>(size.cx) / kFontPixels;
}

void GdiPainter::polyline(std::span<const scene::DevicePoint> points, const scene::Stroke& stroke) {
    if (points.size() < 2)
        return;
    usePen(stroke);
    points_.clear();
    for (const scene::DevicePoint& p : points)
        points_.push_back(
            {static_cast<LONG>(std::lround(p.x)), static_cast<LONG>(std::lround(p.y))});
    drawPoints(stroke);
}

void GdiPainter::arc(scene::DevicePoint center, double radius, double startDegrees,
                     double spanDegrees, const scene::Stroke& stroke) {
    // As segments of about three pixels: GDI's own arcs take whole-pixel radii.
    const double span = spanDegrees * std::numbers::pi / 180;
    const int steps = std::clamp(static_cast<int>(std::ceil(radius * span / 3)), 8, 2880);
    usePen(stroke);
    points_.clear();
    for (int k = 0; k <= steps; ++k) {
        const double t = startDegrees * std::numbers::pi / 180 + span * k / steps;
        points_.push_back({static_cast<LONG>(std::lround(center.x + radius * std::cos(t))),
                           static_cast<LONG>(std::lround(center.y - radius * std::sin(t)))});
    }
    drawPoints(stroke);
}

void GdiPainter::fill(std::span<const scene::DevicePoint> points,
                      std::span<const std::uint32_t> ringSizes, scene::Color color) {
    points_.clear();
    for (const scene::DevicePoint& p : points)
        points_.push_back(
            {static_cast<LONG>(std::lround(p.x)), static_cast<LONG>(std::lround(p.y))});
    std::vector<INT> counts(ringSizes.begin(), ringSizes.end());
    HRGN region = CreatePolyPolygonRgn(points_.data(), counts.data(),
                                       static_cast<int>(counts.size()), ALTERNATE);
    if (!region)
        return;
    // The region's rectangles, blended one by one: GDI's brushes know no alpha.
    const DWORD bytes = GetRegionData(region, 0, nullptr);
    std::vector<std::byte> data(bytes);
    auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
    if (bytes && GetRegionData(region, bytes, rgn)) {
        GdiFlush();
        const auto* rects = reinterpret_cast<const RECT*>(rgn->Buffer);
        for (DWORD k = 0; k < rgn->rdh.nCount; ++k)
            blendRect(rects[k].left, rects[k].top, rects[k].right, rects[k].bottom, color);
    }
    DeleteObject(region);
}

void GdiPainter::blendRect(int x0, int y0, int x1, int y1, scene::Color color) {
    x0 = std::clamp(x0, 0, surface_.width());
    x1 = std::clamp(x1, 0, surface_.width());
    y0 = std::clamp(y0, 0, surface_.height());
    y1 = std::clamp(y1, 0, surface_.height());
    const unsigned a = color.a, keep = 255 - a;
    for (int y = y0; y < y1; ++y) {
        std::uint32_t* row = surface_.row(y);
        for (int x = x0; x < x1; ++x) {
            const std::uint32_t p = row[x];
            const unsigned r = (((p >> 16) & 0xff) * keep + color.r * a + 127) / 255;
            const unsigned g = (((p >> 8) & 0xff) * keep + color.g * a + 127) / 255;
            const unsigned b = ((p & 0xff) * keep + color.b * a + 127) / 255;
            row[x] = (r << 16) | (g << 8) | b;
        }
    }
}

void GdiPainter::fillRects(std::span<const scene::DeviceRect> rects, scene::Color color) {
    GdiFlush();
    for (const scene::DeviceRect& r : rects) {
        // Every pixel the box touches, so that a box below a pixel still shows.
        const auto x0 = static_cast<int>(std::clamp(std::floor(r.left), -1.0, 1e6));
        const auto y0 = static_cast<int>(std::clamp(std::floor(r.top), -1.0, 1e6));
        const auto x1 = static_cast<int>(std::clamp(std::ceil(r.right), -1.0, 1e6));
        const auto y1 = static_cast<int>(std::clamp(std::ceil(r.bottom), -1.0, 1e6));
        blendRect(x0, y0, std::max(x1, x0 + 1), std::max(y1, y0 + 1), color);
    }
}

void GdiPainter::dots(const scene::DotMask& mask, scene::Color color) {
    if (!mask.any())
        return;
    GdiFlush();
    const std::uint32_t ink = pixelOf(color);
    const int w = std::min(mask.width(), surface_.width());
    const int h = std::min(mask.height(), surface_.height());
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* marks = mask.row(y);
        std::uint32_t* row = surface_.row(y);
        for (int x = 0; x < w; ++x)
            if (marks[x])
                row[x] = ink;
    }
}

void GdiPainter::glyphRun(const scene::GlyphRun& run) {
    HDC dc = surface_.dc();
    const double a = run.rotationDegrees * std::numbers::pi / 180;
    const double c = std::cos(a), s = std::sin(a);
    const double k = run.emPixels / kFontPixels, kx = k * run.xScale;
    const double slant = std::tan(run.obliqueDegrees * std::numbers::pi / 180);
    SetTextColor(dc, colorRef(run.color));
    for (const scene::TextLine& line : run.lines) {
        // Font pixels (x, y) to the device: stretched (mirrored when xScale is negative),
        // then slanted by the height alone, so that the slant's sign is the run's whatever
        // the mirror; moved to the line's start along the run's axes, turned
        // counterclockwise as seen, moved to the origin.
        XFORM m;
        m.eM11 = static_cast<FLOAT>(kx * c);
        m.eM12 = static_cast<FLOAT>(-kx * s);
        m.eM21 = static_cast<FLOAT>(-k * slant * c + k * s);
        m.eM22 = static_cast<FLOAT>(k * slant * s + k * c);
        m.eDx = static_cast<FLOAT>(run.origin.x + line.x * c + line.y * s);
        m.eDy = static_cast<FLOAT>(run.origin.y - line.x * s + line.y * c);
        SetWorldTransform(dc, &m);
        ExtTextOutW(dc, 0, 0, 0, nullptr, reinterpret_cast<const wchar_t*>(line.text.data()),
                    static_cast<UINT>(line.text.size()), nullptr);
    }
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
}

} // namespace quillet::window::win32::preview
