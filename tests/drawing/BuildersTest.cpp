// The hatch and multileader builders on small buffered inputs: the outlines and the text each
// makes of its pairs.
#include "drawing/Hatch.h"
#include "drawing/MultiLeader.h"

#include <cmath>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace {

using namespace quillet::drawing;

BufferedPairs pairsOf(std::initializer_list<std::pair<int, std::string_view>> pairs) {
    BufferedPairs out;
    for (const auto& [code, value] : pairs)
        out.add(code, value);
    return out;
}

TEST(BuildersTest, HatchPathsBecomeOutlines) {
    struct Case {
        const char* name;
        BufferedPairs pairs;
        bool solid;
        std::vector<std::size_t> points; // of each outline
        Point last;                      // the last outline's last point
    };
    const Case cases[] = {
        {"solid square, a polyline path",
         pairsOf({{2, "SOLID"},
                  {70, "1"},
                  {91, "1"},
                  {92, "2"},
                  {72, "0"},
                  {73, "1"},
                  {93, "4"},
                  {10, "0"},
                  {20, "0"},
                  {10, "4"},
                  {20, "0"},
                  {10, "4"},
                  {20, "3"},
                  {10, "0"},
                  {20, "3"},
                  {97, "0"},
                  {75, "0"}}),
         true,
         {4},
         {0, 3}},
        {"pattern with an island of line edges",
         pairsOf({{2, "ANSI31"}, {70, "0"}, {91, "2"}, {92, "2"}, {93, "3"}, {10, "0"},  {20, "0"},
                  {10, "9"},     {20, "0"}, {10, "0"}, {20, "9"}, {97, "0"}, {92, "16"}, {93, "2"},
                  {72, "1"},     {10, "1"}, {20, "1"}, {11, "2"}, {21, "1"}, {72, "1"},  {10, "2"},
                  {20, "1"},     {11, "2"}, {21, "2"}, {97, "0"}}),
         false,
         {3, 3},
         {2, 2}},
        {"a half circle edge, counterclockwise",
         pairsOf({{70, "1"},
                  {91, "1"},
                  {92, "0"},
                  {93, "1"},
                  {72, "2"},
                  {10, "0"},
                  {20, "0"},
                  {40, "2"},
                  {50, "0"},
                  {51, "180"},
                  {73, "1"}}),
         true,
         {37},
         {-2, 0}},
        {"a bulged polyline path",
         pairsOf({{70, "1"},
                  {91, "1"},
                  {92, "2"},
                  {72, "1"},
                  {93, "2"},
                  {10, "0"},
                  {20, "0"},
                  {42, "1"},
                  {10, "2"},
                  {20, "0"}}),
         true,
         {37},
         {2, 0}},
        {"fewer paths than come",
         pairsOf({{91, "1"},
                  {92, "2"},
                  {10, "0"},
                  {20, "0"},
                  {10, "1"},
                  {20, "1"},
                  {92, "2"},
                  {10, "5"},
                  {20, "5"},
                  {10, "6"},
                  {20, "6"}}),
         false,
         {2},
         {1, 1}},
        {"a path of one point",
         pairsOf({{91, "1"}, {92, "2"}, {10, "0"}, {20, "0"}}),
         false,
         {},
         {}},
        {"no paths", pairsOf({{2, "SOLID"}, {70, "1"}}), true, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HatchShape shape = hatchShape(c.pairs);
        EXPECT_EQ(shape.solid, c.solid);
        ASSERT_EQ(shape.outlines.size(), c.points.size());
        for (std::size_t k = 0; k < c.points.size(); ++k)
            EXPECT_EQ(shape.outlines[k].size(), c.points[k]) << k;
        if (!shape.outlines.empty()) {
            EXPECT_NEAR(shape.outlines.back().back().x, c.last.x, 1e-9);
            EXPECT_NEAR(shape.outlines.back().back().y, c.last.y, 1e-9);
        }
    }
}

TEST(BuildersTest, MultiLeaderGivesItsLinesFromTheLandingAndItsText) {
    const BufferedPairs pairs = pairsOf({{300, "CONTEXT_DATA{"},
                                         {40, "1"},
                                         {302, "LEADER{"},
                                         {10, "5"},
                                         {20, "5"},
                                         {304, "LEADER_LINE{"},
                                         {10, "0"},
                                         {20, "0"},
                                         {10, "2"},
                                         {20, "1"},
                                         {305, "}"},
                                         {304, " LEADER_LINE{ "},
                                         {10, "9"},
                                         {20, "9"},
                                         {305, "}"},
                                         {303, "}"},
                                         {304, "Note\\Pline"},
                                         {12, "1"},
                                         {22, "2"},
                                         {41, "2.5"},
                                         {41, "7"},
                                         {13, "0"},
                                         {23, "1"},
                                         {301, "}"},
                                         {12, "99"}});
    const MultiLeaderShape shape = multiLeaderShape(pairs);
    ASSERT_EQ(shape.lines.size(), 2u);
    const std::vector<Point> first = shape.lines[0];
    ASSERT_EQ(first.size(), 3u); // the landing, then the vertices from the arrowhead's end
    EXPECT_EQ(first[0].x, 5);
    EXPECT_EQ(first[1].x, 2);
    EXPECT_EQ(first[2].y, 0);
    EXPECT_EQ(shape.lines[1].back().x, 9);
    ASSERT_TRUE(shape.haveText);
    EXPECT_EQ(shape.text, "Note\\Pline");
    EXPECT_EQ(shape.at.x, 1); // outside the context, 12 is not the text's
    EXPECT_EQ(shape.at.y, 2);
    EXPECT_EQ(shape.height, 2.5);
    EXPECT_NEAR(shape.rotationDegrees, 90, 1e-9);
    // Without a direction the text's own angle stands; without a text there is none.
    const MultiLeaderShape turned =
        multiLeaderShape(pairsOf({{300, "CONTEXT_DATA{"}, {304, "T"}, {42, "30"}, {301, "}"}}));
    EXPECT_EQ(turned.rotationDegrees, 30);
    EXPECT_FALSE(multiLeaderShape(pairsOf({{300, "CONTEXT_DATA{"}, {301, "}"}})).haveText);
}

} // namespace
