// The SVG export's painter: texts stay text where the scene puts them, escaped; arcs turn
// the way the screen draws them; the document is whole.
#include "TestSupport.h"

#include "drawing/Reader.h"
#include "platform/LineReader.h"
#include "scene/SvgPainter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace quillet::scene;

// Every character an em wide, as CJK glyphs are.
double oneEmEach(std::u16string_view text) {
    return static_cast<double>(text.size());
}

std::string svgOf(const std::string& entities, const std::string& title) {
    const std::string bytes = quillet::testing::dxfOf(entities);
    quillet::platform::MemorySource source(bytes);
    const auto drawing =
        quillet::drawing::readDrawing(source, static_cast<std::int64_t>(bytes.size()));
    std::ostringstream out;
    writeSvg(out, *drawing, ViewTransform::fitting(drawing->extents(), {800, 400}), title,
             oneEmEach);
    return out.str();
}

TEST(SvgPainterTest, TextsStayTextEscapedAndTurned) {
    const std::string svg =
        svgOf(quillet::testing::textEntity(0, 0, 100, "A&B <C>") +
                  quillet::testing::textEntity(0, -300, 100, "\xe9\x85\x8d\xe7\xae\xa1") +
                  "  0\r\nTEXT\r\n 10\r\n0\r\n 20\r\n-600\r\n 40\r\n100\r\n 50\r\n90\r\n"
                  "  1\r\nup\r\n",
              "a&b.dxf");
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
    EXPECT_NE(svg.find("width=\"800\" height=\"400\""), std::string::npos);
    EXPECT_NE(svg.find("<title>a&amp;b.dxf</title>"), std::string::npos);
    EXPECT_NE(svg.find(">A&amp;B &lt;C&gt;</text>"), std::string::npos);
    EXPECT_NE(svg.find(">\xe9\x85\x8d\xe7\xae\xa1</text>"), std::string::npos);
    EXPECT_NE(svg.find("rotate(-90)"), std::string::npos) << "counterclockwise on the page";
    EXPECT_EQ(svg.find("rotate(", svg.find(">A&amp;B")), svg.find("rotate(-90)"));
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

TEST(SvgPainterTest, ArcsTurnAsTheScreenDrawsThem) {
    std::ostringstream out;
    SvgPainter painter(out, {100, 100}, "t", oneEmEach);
    // A quarter from the right to the top, counterclockwise as seen: SVG's sweep flag 0.
    painter.arc({50, 50}, 30, 0, 90, {});
    // A whole circle comes in two halves, each ending where the next begins.
    painter.arc({50, 50}, 10, 0, 360, {});
    painter.finish();
    const std::string svg = out.str();
    EXPECT_NE(svg.find("d=\"M80 50 A30 30 0 0 0 50 20\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("d=\"M60 50 A10 10 0 0 0 40 50 A10 10 0 0 0 60 50\""), std::string::npos)
        << svg;
}

} // namespace
