// The Windows preview's parts: PNG files from WIC that Windows reads back pixel for pixel, an
// export with ink where its texts are, ink where the GDI painter is told to put it, and the
// programs that must not be handed a drawing.
#include "TestSupport.h"

#include "window/win32/preview/GdiPainter.h"
#include "window/win32/preview/PreviewExport.h"
#include "window/win32/preview/WicPng.h"

#include "drawing/Reader.h"
#include "platform/LineReader.h"
#include "scene/DotMask.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

namespace {

using namespace quillet::window::win32::preview;
namespace scene = quillet::scene;

// Returns the pixels (0x00RRGGBB) Windows' PNG decoder reads from png, or nothing.
std::vector<std::uint32_t> decodedByWindows(const std::string& png, int& w, int& h) {
    std::vector<std::uint32_t> pixels;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IStream* stream =
        SHCreateMemStream(reinterpret_cast<const BYTE*>(png.data()), static_cast<UINT>(png.size()));
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                                   &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                        nullptr, 0, WICBitmapPaletteTypeCustom))) {
        UINT uw = 0, uh = 0;
        converter->GetSize(&uw, &uh);
        w = static_cast<int>(uw);
        h = static_cast<int>(uh);
        pixels.resize(static_cast<std::size_t>(uw) * uh);
        if (FAILED(converter->CopyPixels(nullptr, uw * 4, uw * uh * 4,
                                         reinterpret_cast<BYTE*>(pixels.data()))))
            pixels.clear();
        for (std::uint32_t& p : pixels)
            p &= 0xffffff;
    }
    for (IUnknown* u : std::initializer_list<IUnknown*>{converter, frame, decoder, stream, factory})
        if (u)
            u->Release();
    return pixels;
}

TEST(WicPngTest, WindowsReadsBackEveryPixel) {
    struct Case {
        const char* what;
        int width, height;
        std::uint32_t (*pixel)(int x, int y);
    };
    const Case cases[] = {
        {"one pixel", 1, 1, [](int, int) { return 0x123456u; }},
        {"white paper", 640, 3, [](int, int) { return 0xffffffu; }},
        // More rows than one band of the encoder's, and a last band cut short.
        {"a tall image", 70, 130,
         [](int x, int y) { return static_cast<std::uint32_t>((x * 3) << 16 | y); }},
        // Nothing repeats: every byte a literal.
        {"noise", 301, 67,
         [](int x, int y) {
             std::uint32_t v = static_cast<std::uint32_t>(x * 7919 + y * 104729) * 2654435761u;
             v ^= v >> 15;
             return (v * 2246822519u) & 0xffffffu;
         }},
        {"a drawing's strokes", 200, 120,
         [](int x, int y) { return (x % 37 == 0 || y == 60) ? 0x1f3a70u : 0xffffffu; }},
    };
    for (const Case& c : cases) {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(c.width) * c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                pixels[static_cast<std::size_t>(y) * c.width + x] = c.pixel(x, y);
        const std::string png = encodePng(pixels, c.width, c.height);
        ASSERT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0) << c.what;
        int w = 0, h = 0;
        const std::vector<std::uint32_t> back = decodedByWindows(png, w, h);
        ASSERT_FALSE(back.empty()) << c.what;
        EXPECT_EQ(w, c.width) << c.what;
        EXPECT_EQ(h, c.height) << c.what;
        EXPECT_TRUE(back == pixels) << c.what;
    }
    // White space costs almost nothing: an export of a sparse drawing stays small.
    const std::vector<std::uint32_t> white(3000 * 2000, 0xffffff);
    EXPECT_LT(encodePng(white, 3000, 2000).size(), 400000u);
    EXPECT_TRUE(encodePng(white, 0, 10).empty());
}

// Two texts far apart: the whole drawing's export, by a name in Japanese, has ink at both
// ends and none between them; a folder that is not there is an error naming the file.
TEST(PreviewExportTest, WholeDrawingAsPngHasInkWhereTheTextsAre) {
    using quillet::testing::textEntity;
    const std::string bytes =
        quillet::testing::dxfOf(textEntity(0, 0, 100, "配管") + textEntity(3000, 0, 100, "Tokyo"));
    quillet::platform::MemorySource source(bytes);
    const auto drawing =
        quillet::drawing::readDrawing(source, static_cast<std::int64_t>(bytes.size()));
    const quillet::testing::TempDir folder;
    const std::string path = folder / "書き出し.png";
    ASSERT_EQ(quillet::scene::exportDrawing(*drawing, {}, true, path, "t.dxf", gdiExport()), "");
    int w = 0, h = 0;
    const std::vector<std::uint32_t> pixels =
        decodedByWindows(quillet::testing::readFile(path), w, h);
    ASSERT_FALSE(pixels.empty());
    EXPECT_EQ(w, 3000);
    const auto inkIn = [&](int left, int right) {
        int dark = 0;
        for (int y = 0; y < h; ++y)
            for (int x = left; x < right; ++x)
                dark += (pixels[static_cast<std::size_t>(y) * w + x] & 0xff) < 0x80;
        return dark;
    };
    EXPECT_GT(inkIn(0, w / 10), 50);
    EXPECT_GT(inkIn(w * 9 / 10, w), 50);
    EXPECT_EQ(inkIn(w * 3 / 10, w * 6 / 10), 0);
    const std::string missing = folder / "none\\x.png";
    EXPECT_EQ(quillet::scene::exportDrawing(*drawing, {}, true, missing, "t.dxf", gdiExport()),
              "書き出せませんでした: " + missing);
}

// The box around the pixels darker than the paper, in a surface.
struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool any() const { return right >= 0; }
};

Ink inkOf(const Surface& s) {
    GdiFlush();
    Ink ink;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if ((s.row(y)[x] & 0xff) < 0x80) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

// Returns the mean x of the ink in rows top..bottom, or -1 when there is none.
double inkMiddleX(const Surface& s, int top, int bottom) {
    double sum = 0, count = 0;
    for (int y = std::max(top, 0); y <= std::min(bottom, s.height() - 1); ++y)
        for (int x = 0; x < s.width(); ++x)
            if ((s.row(y)[x] & 0xff) < 0x80)
                sum += x, ++count;
    return count ? sum / count : -1;
}

TEST(GdiPainterTest, TextsLandWhereTheRunPutsThem) {
    const std::u16string text = u"配管テスト";
    struct Case {
        const char* what;
        double rotation, xScale, oblique, lineX, lineY;
    };
    const Case cases[] = {
        {"upright", 0, 1, 0, 0, 0},
        {"turned a quarter counterclockwise", 90, 1, 0, 0, 0},
        {"twice as wide", 0, 2, 0, 0, 0},
        {"a second line below", 0, 1, 0, 0, 60},
        {"moved along a turned baseline", 90, 1, 0, 50, 0},
        {"mirrored: backwards from its start", 0, -1, 0, 0, 0},
        {"upside down: turned a half and mirrored", 180, -1, 0, 0, 0},
        {"slanted forwards", 0, 1, 20, 0, 0},
        {"mirrored and slanted back", 0, -1, -20, 0, 0},
    };
    for (const Case& c : cases) {
        Surface surface;
        ASSERT_TRUE(surface.resize(600, 400));
        surface.clear();
        const double em = 40;
        const scene::DevicePoint origin{300, 200};
        double advance = 0;
        {
            GdiPainter painter(surface);
            advance = painter.advance(text) * em;
            const std::array lines = {scene::TextLine{text, c.lineX, c.lineY}};
            scene::GlyphRun run;
            run.origin = origin;
            run.emPixels = em;
            run.rotationDegrees = c.rotation;
            run.xScale = c.xScale;
            run.obliqueDegrees = c.oblique;
            run.color = {0, 0, 0, 255};
            run.lines = lines;
            painter.glyphRun(run);
        }
        const Ink ink = inkOf(surface);
        ASSERT_TRUE(ink.any()) << c.what;
        EXPECT_NEAR(advance, 5 * em, em) << "CJK characters are about an em wide";
        // The text's box along its baseline (x) and down across it (y), from the baseline's
        // start, up by about an em; slanted, its top moves forwards. Its corners on the
        // device bound the ink.
        const double along = advance * c.xScale;
        const double slant = std::tan(c.oblique * std::numbers::pi / 180);
        const double a = c.rotation * std::numbers::pi / 180;
        double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
        for (double x : {0.0, along})
            for (double y : {-em, 0.2 * em}) {
                const double u = x - slant * y + c.lineX, v = y + c.lineY;
                const double dx = origin.x + u * std::cos(a) + v * std::sin(a);
                const double dy = origin.y - u * std::sin(a) + v * std::cos(a);
                left = std::min(left, dx), right = std::max(right, dx);
                top = std::min(top, dy), bottom = std::max(bottom, dy);
            }
        const double slack = 0.15 * em;
        EXPECT_GE(ink.left, left - slack) << c.what;
        EXPECT_LE(ink.right, right + slack) << c.what;
        EXPECT_GE(ink.top, top - slack) << c.what;
        EXPECT_LE(ink.bottom, bottom + slack) << c.what;
        // And it fills most of that box, not a corner of it.
        EXPECT_GT(ink.right - ink.left, 0.6 * (right - left)) << c.what;
        EXPECT_GT(ink.bottom - ink.top, 0.6 * (bottom - top)) << c.what;
        if (c.rotation == 0 && c.lineY == 0) {
            // The upper half of the glyphs lies forwards of the lower by the slant.
            const double upper = inkMiddleX(surface, ink.top, (ink.top + ink.bottom) / 2);
            const double lower = inkMiddleX(surface, (ink.top + ink.bottom) / 2 + 1, ink.bottom);
            EXPECT_NEAR(upper - lower, slant * (ink.bottom - ink.top) / 2, 0.12 * em) << c.what;
        }
    }
}

TEST(GdiPainterTest, FillsByTheEvenOddRuleInTheirColourAndOpacity) {
    // A square with a square hole, and beside it two squares over each other: what both
    // enclose is outside by the even-odd rule.
    const std::array<scene::DevicePoint, 16> points = {{{10, 10},
                                                        {50, 10},
                                                        {50, 50},
                                                        {10, 50}, // the outer square
                                                        {20, 20},
                                                        {40, 20},
                                                        {40, 40},
                                                        {20, 40}, // its hole
                                                        {60, 10},
                                                        {90, 10},
                                                        {90, 40},
                                                        {60, 40}, // one square
                                                        {75, 25},
                                                        {105, 25},
                                                        {105, 55},
                                                        {75, 55}}}; // over another
    const std::array<std::uint32_t, 4> rings = {4, 4, 4, 4};
    struct Case {
        const char* what;
        scene::Color color;
        std::uint32_t inside; // the pixel inside, 0xRRGGBB
    };
    const Case cases[] = {
        {"a solid fill in its colour", {0xc0, 0x20, 0x10, 255}, 0xc02010},
        {"a light fill blended over the paper", {0, 0, 0xff, 60}, 0xc3c3ff},
    };
    for (const Case& c : cases) {
        Surface surface;
        ASSERT_TRUE(surface.resize(120, 70));
        surface.clear();
        {
            GdiPainter painter(surface);
            painter.fill(points, rings, c.color);
        }
        GdiFlush();
        const auto at = [&](int x, int y) { return surface.row(y)[x] & 0xffffff; };
        EXPECT_EQ(at(15, 15), c.inside) << c.what;
        EXPECT_EQ(at(45, 45), c.inside) << c.what;
        EXPECT_EQ(at(30, 30), 0xffffffu) << c.what << ": the hole stays empty";
        EXPECT_EQ(at(5, 30), 0xffffffu) << c.what;
        EXPECT_EQ(at(65, 15), c.inside) << c.what;
        EXPECT_EQ(at(100, 50), c.inside) << c.what;
        EXPECT_EQ(at(82, 32), 0xffffffu) << c.what << ": where both squares are";
    }
}

TEST(GdiPainterTest, BoxesBlendAndDarkenWhereTheyOverlap) {
    Surface surface;
    ASSERT_TRUE(surface.resize(50, 20));
    surface.clear();
    {
        GdiPainter painter(surface);
        const std::array rects = {scene::DeviceRect{0, 0, 20, 10}, scene::DeviceRect{10, 0, 30, 10},
                                  scene::DeviceRect{40.2, 15.3, 40.4, 15.6}};
        painter.fillRects(rects, {0x9a, 0xa0, 0xa8, 150});
    }
    GdiFlush();
    const auto blue = [&](int x, int y) { return surface.row(y)[x] & 0xff; };
    EXPECT_EQ(blue(35, 5), 0xffu) << "outside every box";
    EXPECT_LT(blue(5, 5), 0xffu);
    EXPECT_LT(blue(15, 5), blue(5, 5)) << "two boxes over each other are darker";
    EXPECT_EQ(blue(25, 5), blue(5, 5));
    EXPECT_LT(blue(40, 15), 0xffu) << "a box smaller than a pixel still shows";
    EXPECT_EQ(blue(5, 12), 0xffu);
}

TEST(GdiPainterTest, DotsSetTheirPixelsOnly) {
    Surface surface;
    ASSERT_TRUE(surface.resize(30, 30));
    surface.clear();
    scene::DotMask mask;
    mask.reset({30, 30});
    mask.mark({3.2, 4.7, 3.4, 4.9});
    mask.mark({10, 20, 12, 20});
    {
        GdiPainter painter(surface);
        painter.dots(mask, {0x9a, 0xa0, 0xa8, 255});
    }
    GdiFlush();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            EXPECT_EQ(surface.row(y)[x] & 0xffffff, mask.at(x, y) ? 0x9aa0a8u : 0xffffffu)
                << x << ',' << y;
}

TEST(GdiPainterTest, LinesAndArcsPassThroughTheirPoints) {
    Surface surface;
    ASSERT_TRUE(surface.resize(100, 100));
    surface.clear();
    {
        GdiPainter painter(surface);
        const std::array points = {scene::DevicePoint{10, 10}, scene::DevicePoint{90, 10}};
        painter.polyline(points, {{0, 0, 0, 255}, 0});
        // A quarter counterclockwise as seen from the right: from (80, 50) up to (50, 20).
        painter.arc({50, 50}, 30, 0, 90, {{0, 0, 0, 255}, 0});
    }
    GdiFlush();
    const auto dark = [&](int x, int y) { return (surface.row(y)[x] & 0xff) < 0x80; };
    EXPECT_TRUE(dark(50, 10));
    EXPECT_FALSE(dark(50, 12));
    EXPECT_TRUE(dark(80, 50));
    EXPECT_TRUE(dark(50, 20));
    EXPECT_TRUE(dark(71, 29)); // at 45 degrees
    EXPECT_FALSE(dark(29, 71)) << "the opposite quarter is not drawn";
    EXPECT_FALSE(dark(50, 80));
}

} // namespace
