// The scene's other parts a front end leans on: the status line's texts, the export's
// choices, the text conversions and the reading thread.
#include "DrawingOf.h"
#include "TestSupport.h"

#include "drawing/Reader.h"
#include "platform/LineReader.h"
#include "scene/DrawingLoad.h"
#include "scene/Export.h"
#include "scene/StatusText.h"
#include "scene/SvgPainter.h"
#include "scene/TextCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using namespace quillet::scene;
using quillet::testing::drawingOf;
using quillet::testing::dxfOf;
using quillet::testing::textEntity;

TEST(StatusTextTest, NumbersAreWrittenAsTheStatusLineShowsThem) {
    struct Case {
        std::uint64_t n;
        const char* grouped;
    };
    for (const Case c : {Case{0, "0"}, Case{999, "999"}, Case{1000, "1,000"},
                         Case{1234567, "1,234,567"}, Case{10000000, "10,000,000"}})
        EXPECT_EQ(groupedNumber(c.n), c.grouped);
    struct Coordinate {
        double v;
        const char* text;
    };
    for (const Coordinate c : {Coordinate{0, "0"}, Coordinate{-20, "-20"}, Coordinate{1.5, "1.5"},
                               Coordinate{1234567.891, "1234567.891"}, Coordinate{0.1 + 0.2, "0.3"},
                               Coordinate{1e20, "1e+20"}})
        EXPECT_EQ(coordinateText(c.v), c.text);
    EXPECT_EQ(cursorText(1.5, -20), "X 1.5  Y -20");
    // With a step, only the decimals it tells apart.
    struct Stepped {
        double v, step;
        const char* text;
    };
    for (const Stepped c :
         {Stepped{2394.507422, 1.7, "2395"}, Stepped{2394.507422, 0.04, "2394.51"},
          Stepped{1060, 0.01, "1060"}, Stepped{-25.8849914, 0.04, "-25.88"},
          Stepped{-0.001, 0.5, "0"}, Stepped{3.14159265, 1e-9, "3.141593"}})
        EXPECT_EQ(coordinateText(c.v, c.step), c.text);
    EXPECT_EQ(cursorText(94.09718365, -600, 0.25), "X 94.1  Y -600");
}

TEST(StatusTextTest, CountsKindsNotDrawnAndExtents) {
    const std::string lineAndInsert =
        "  0\r\nLINE\r\n 10\r\n0\r\n 20\r\n-50\r\n 11\r\n10\r\n 21\r\n-50\r\n"
        "  0\r\nINSERT\r\n  2\r\nB\r\n";
    const std::string texts = textEntity(0, 0, 100, "A") + textEntity(1000, 0, 100, "B");
    auto kinds = [](std::initializer_list<const char*> names) {
        std::string out;
        for (const char* name : names)
            out += std::string("  0\r\n") + name + "\r\n";
        return out;
    };
    const StatusText few =
        statusOf(*drawingOf(texts + lineAndInsert + kinds({"IMAGE", "MESH", "IMAGE"})));
    EXPECT_EQ(few.counts, "文字 2   線・円・弧 1   ブロック参照 1");
    EXPECT_EQ(few.notDrawn, "描かないもの: IMAGE 2, MESH 1");
    EXPECT_EQ(few.notDrawnDetail, "IMAGE 2\nMESH 1");
    EXPECT_EQ(few.extents.rfind("範囲 (0, -50) - (", 0), 0u) << few.extents;
    EXPECT_EQ(few.joined(), few.counts + "   " + few.extents + "   " + few.notDrawn);
    EXPECT_TRUE(few.warning.empty());

    // However many kinds there are, the line only counts them and the extents stay in front.
    const StatusText many =
        statusOf(*drawingOf(texts + kinds({"IMAGE", "MESH", "REGION", "WIPEOUT", "3DSOLID"})));
    EXPECT_EQ(many.notDrawn, "描かないもの: 5 種類");
    EXPECT_EQ(std::count(many.notDrawnDetail.begin(), many.notDrawnDetail.end(), '\n'), 4);
    EXPECT_LT(many.joined().find("範囲"), many.joined().find("描かないもの"));

    const StatusText empty = statusOf(*drawingOf(""));
    EXPECT_EQ(empty.joined(), "文字 0   線・円・弧 0");

    // A drawing cut short is shown as far as it was read, the warning first.
    const std::string whole = dxfOf(texts);
    quillet::platform::MemorySource cut(std::string_view(whole).substr(0, whole.size() - 20));
    const auto read = quillet::drawing::readDrawing(cut, 0);
    ASSERT_TRUE(read->truncated);
    const StatusText shortened = statusOf(*read);
    EXPECT_EQ(shortened.joined().rfind("⚠ 図面が途中で終わっています", 0), 0u)
        << shortened.joined();
}

// A drawing that declares no code page is read by a guess, and the status line says which.
TEST(StatusTextTest, SaysWhenTheTextsWereDecodedByAGuess) {
    const std::string cp932 = "\x94\x7a\x8a\xc7"; // 配管
    const std::string utf8 = "配管";
    struct Case {
        std::string dxf;
        std::string guessed;
    };
    const Case cases[] = {
        {dxfOf(textEntity(0, 0, 100, "A")), ""},
        {dxfOf(textEntity(0, 0, 100, cp932)), "コードページの宣言なし: コードページ 932 と推測"},
        {dxfOf(textEntity(0, 0, 100, utf8)), "コードページの宣言なし: UTF-8 と推測"},
        {dxfOf(textEntity(0, 0, 100, "A") + textEntity(0, 0, 100, utf8) +
               textEntity(0, 0, 100, cp932)),
         "コードページの宣言なし: UTF-8 とコードページ 932 と推測"},
        {quillet::testing::declaredDxfOf(quillet::testing::declaredTextEntity(0, 0, 100, cp932),
                                         {0, 0, 0, 0}),
         ""},
    };
    for (const Case& c : cases) {
        quillet::platform::MemorySource source(c.dxf);
        const StatusText s = statusOf(
            *quillet::drawing::readDrawing(source, static_cast<std::int64_t>(c.dxf.size())));
        EXPECT_EQ(s.guessed, c.guessed);
        EXPECT_EQ(s.joined().ends_with(c.guessed), true) << s.joined();
    }
}

TEST(ExportTest, FormatNameAndWholeView) {
    struct Case {
        const char* name;
        ExportFormat format;
    };
    for (const Case c :
         {Case{"a.svg", ExportFormat::Svg}, Case{"a.PDF", ExportFormat::Pdf},
          Case{"a.png", ExportFormat::Png}, Case{"a", ExportFormat::Png},
          Case{"a.svg.txt", ExportFormat::Png}, Case{"d.svg/plan", ExportFormat::Png},
          Case{"C:\\d.pdf\\plan", ExportFormat::Png}, Case{"C:\\d\\図面.Pdf", ExportFormat::Pdf},
          Case{".svg", ExportFormat::Png}})
        EXPECT_EQ(formatOf(c.name), c.format) << c.name;
    struct Name {
        const char* drawing;
        const char* proposed;
    };
    for (const Name n :
         {Name{"/d/図面.dxf", "/d/図面.png"}, Name{"/d/a.b.DXF", "/d/a.b.png"},
          Name{"/d.x/plan", "/d.x/plan.png"}, Name{"C:\\d.x\\.plan", "C:\\d.x\\.plan.png"},
          Name{"図面.dxf", "図面.png"}})
        EXPECT_EQ(proposedExportName(n.drawing, "png"), n.proposed);

    const ViewTransform wide = wholeDrawingView({0, 0, 400, 100}, 1600);
    EXPECT_DOUBLE_EQ(wide.size.width, 1600);
    EXPECT_DOUBLE_EQ(wide.size.height, 400);
    EXPECT_NEAR(wide.scale, 0.94 * 4, 1e-12);
    const ViewTransform thin = wholeDrawingView({0, 0, 1, 1000}, 1600);
    EXPECT_DOUBLE_EQ(thin.size.width, 64); // never narrower
}

TEST(SvgTest, WritesTheSceneAsSvgText) {
    ViewTransform view;
    view.scale = 2;
    view.size = {200, 100};
    const std::string entities =
        textEntity(-40, -20, 10, "<配管&>") +
        "  0\r\nLINE\r\n 10\r\n0\r\n 20\r\n0\r\n 11\r\n10\r\n 21\r\n0\r\n"
        "  0\r\nARC\r\n 10\r\n0\r\n 20\r\n0\r\n 40\r\n10\r\n 50\r\n0\r\n 51\r\n90\r\n"
        "  0\r\nCIRCLE\r\n 10\r\n0\r\n 20\r\n0\r\n 40\r\n5\r\n" +
        textEntity(30, 10, 1, "small");
    const std::string svg = svgOf(*drawingOf(entities), view, "図面 & <1>");
    for (const char* part : {
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"100\"",
             "<title>図面 &amp; &lt;1&gt;</title>",
             "<polyline points=\"100,50 120,50\"",
             // Counterclockwise as seen: from the right of the centre up to above it.
             "<path d=\"M120 50A20 20 0 0 0 100 30\"",
             "<circle cx=\"100\" cy=\"50\" r=\"10\"",
             "transform=\"translate(20 90)\">&lt;配管&amp;&gt;</text>",
             "fill-opacity=\"0.59\">\n<rect x=\"160\" y=\"28\" width=\"6\"",
         })
        EXPECT_NE(svg.find(part), std::string::npos) << part << "\n" << svg;
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    EXPECT_EQ(estimatedAdvance(u"ab配"), 2.1);
}

TEST(ViewTransformTest, ZoomKeepsThePointUnderTheCursorAndStaysWithinItsLimits) {
    ViewTransform v = ViewTransform::fitting({0, 0, 100, 50}, {200, 100});
    const double fitted = v.scale;
    const DevicePoint at{30, 70};
    const auto before = v.toDrawing(at);
    v.zoomAbout(at, 3, fitted);
    const auto after = v.toDrawing(at);
    EXPECT_NEAR(after.x, before.x, 1e-9);
    EXPECT_NEAR(after.y, before.y, 1e-9);
    v.zoomAbout(at, 1e12, fitted);
    EXPECT_DOUBLE_EQ(v.scale, fitted * kMostZoomIn);
    v.zoomAbout(at, 1e-30, fitted);
    EXPECT_DOUBLE_EQ(v.scale, fitted * kMostZoomOut);
    const double x = v.centerX, y = v.centerY;
    v.pan(10, -4); // dragged right and up: the drawing follows the hand
    EXPECT_DOUBLE_EQ(v.centerX, x - 10 / v.scale);
    EXPECT_DOUBLE_EQ(v.centerY, y - 4 / v.scale);
}

TEST(TextCacheTest, Utf8AndUtf16RoundTripAndOddBytesBecomeReplacements) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    for (const Case& c : {Case{"", u""}, Case{"abc", u"abc"}, Case{"配管", u"配管"},
                          Case{"\xF0\x9F\x98\x80", u"\U0001F600"}, Case{"é°", u"é°"}}) {
        EXPECT_EQ(utf16Of(c.utf8), c.utf16);
        EXPECT_EQ(utf8Of(c.utf16), c.utf8);
    }
    for (const char* odd : {"\x82\xA0", "\xE3\x81", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
        EXPECT_EQ(utf16Of(odd).find_first_not_of(u'\uFFFD'), std::u16string::npos) << odd;
    EXPECT_EQ(utf16Of("a\x82"
                      "b"),
              u"a\uFFFDb");
    EXPECT_EQ(utf8Of(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

TEST(DrawingLoadTest, ReadsOnItsThreadAndTellsWhyNot) {
    quillet::testing::TempDir dir;
    const std::string path = dir / "図面.dxf";
    quillet::testing::writeFile(path, dxfOf(textEntity(0, 0, 100, "配管")));
    const auto wait = [](const DrawingLoad& load) {
        for (int i = 0; i < 1000 && !load.finished(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return load.finished();
    };
    DrawingLoad good(path);
    ASSERT_TRUE(wait(good));
    const auto drawing = good.takeDrawing();
    ASSERT_TRUE(drawing);
    EXPECT_EQ(drawing->entities.texts.size(), 1u);
    EXPECT_EQ(good.error(), "");
    EXPECT_FALSE(good.cancelled());

    DrawingLoad missing(dir / "ない.dxf");
    ASSERT_TRUE(wait(missing));
    EXPECT_FALSE(missing.takeDrawing());
    EXPECT_NE(missing.error().find("53"), std::string::npos) << missing.error();
}

} // namespace
