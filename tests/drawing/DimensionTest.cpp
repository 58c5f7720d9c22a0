// Dimensions drawn from their definition points, as some programs write them without a block:
// each type's measurement and text checked against the points the drawing gives, in its
// dimension style's sizes (the table's, the header's and the dimension's own overrides).
#include "drawing/Reader.h"
#include "platform/LineReader.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace quillet::drawing;

using Pairs = std::vector<std::pair<int, std::string>>;

std::string pairsText(const Pairs& pairs) {
    std::string out;
    for (const auto& [code, value] : pairs)
        out += std::to_string(code) + "\n" + value + "\n";
    return out;
}

// A drawing whose header makes PLAN the current style and whose DIMSTYLE table holds PLAN
// (text 2.5, arrows 2, everything twice as large, two decimals) and BARE (only its name).
std::string drawingWith(const std::string& entities) {
    return pairsText({{0, "SECTION"}, {2, "HEADER"}, {9, "$DIMSTYLE"}, {2, "PLAN"},
                      {9, "$DIMTXT"}, {40, "7"},     {0, "ENDSEC"},    {0, "SECTION"},
                      {2, "TABLES"},  {0, "TABLE"},  {2, "DIMSTYLE"},  {0, "DIMSTYLE"},
                      {2, "PLAN"},    {40, "2"},     {41, "2"},        {140, "2.5"},
                      {271, "2"},     {179, "1"},    {0, "DIMSTYLE"},  {2, "BARE"},
                      {0, "ENDTAB"},  {0, "ENDSEC"}, {0, "SECTION"},   {2, "ENTITIES"}}) +
           entities + pairsText({{0, "ENDSEC"}, {0, "EOF"}});
}

std::string dimension(const Pairs& own) {
    Pairs pairs{{0, "DIMENSION"}, {8, "0"}};
    pairs.insert(pairs.end(), own.begin(), own.end());
    return pairsText(pairs);
}

std::unique_ptr<Drawing> readText(const std::string& bytes) {
    quillet::platform::MemorySource source(bytes);
    return readDrawing(source, static_cast<std::int64_t>(bytes.size()));
}

double distance(double ax, double ay, double bx, double by) {
    return std::hypot(bx - ax, by - ay);
}

TEST(DimensionTest, EachTypeMeasuresItsOwnPoints) {
    struct Case {
        const char* name;
        Pairs pairs;
        double measured; // from the points, worked out here
        int decimals;    // the style's: 2 for lengths, 1 for angles
        std::string before, after;
    };
    const double aligned = distance(0, 0, 30, 40);
    const std::vector<Case> cases = {
        {"rotated level",
         {{3, "PLAN"},
          {70, "32"},
          {13, "0"},
          {23, "0"},
          {14, "30"},
          {24, "40"},
          {10, "0"},
          {20, "-10"},
          {50, "0"}},
         30,
         2,
         "",
         ""},
        {"rotated upright",
         {{3, "PLAN"},
          {70, "32"},
          {13, "0"},
          {23, "0"},
          {14, "30"},
          {24, "40"},
          {10, "-10"},
          {20, "0"},
          {50, "90"}},
         40,
         2,
         "",
         ""},
        {"aligned",
         {{3, "PLAN"},
          {70, "33"},
          {13, "0"},
          {23, "0"},
          {14, "30"},
          {24, "40"},
          {10, "-8"},
          {20, "6"}},
         aligned,
         2,
         "",
         ""},
        {"its own text around the measurement",
         {{3, "PLAN"},
          {70, "33"},
          {1, "L=<> mm"},
          {13, "0"},
          {23, "0"},
          {14, "30"},
          {24, "40"},
          {10, "-8"},
          {20, "6"}},
         aligned,
         2,
         "L=",
         " mm"},
        {"angle of three points",
         {{3, "PLAN"},
          {70, "37"},
          {15, "0"},
          {25, "0"},
          {13, "10"},
          {23, "0"},
          {14, "0"},
          {24, "10"},
          {10, "5"},
          {20, "5"}},
         90,
         1,
         "",
         "°"},
        {"angle of three points, the other side",
         {{3, "PLAN"},
          {70, "37"},
          {15, "0"},
          {25, "0"},
          {13, "10"},
          {23, "0"},
          {14, "0"},
          {24, "10"},
          {10, "-5"},
          {20, "-5"}},
         270,
         1,
         "",
         "°"},
        {"angle of two lines",
         {{3, "PLAN"},
          {70, "34"},
          {13, "0"},
          {23, "0"},
          {14, "10"},
          {24, "0"},
          {15, "0"},
          {25, "0"},
          {10, "10"},
          {20, "10"},
          {16, "8"},
          {26, "3"}},
         45,
         1,
         "",
         "°"},
        {"angle of two lines, beyond their meeting",
         {{3, "PLAN"},
          {70, "34"},
          {13, "0"},
          {23, "0"},
          {14, "10"},
          {24, "0"},
          {15, "0"},
          {25, "0"},
          {10, "10"},
          {20, "10"},
          {16, "-8"},
          {26, "3"}},
         135,
         1,
         "",
         "°"},
        {"radius",
         {{3, "PLAN"}, {70, "36"}, {10, "1"}, {20, "1"}, {15, "4"}, {25, "5"}},
         distance(1, 1, 4, 5),
         2,
         "R",
         ""},
        {"diameter",
         {{3, "PLAN"}, {70, "35"}, {15, "3"}, {25, "4"}, {10, "-3"}, {20, "-4"}},
         distance(3, 4, -3, -4),
         2,
         "Ø",
         ""},
        {"ordinate along X",
         {{3, "PLAN"},
          {70, "102"},
          {10, "2"},
          {20, "1"},
          {13, "14.5"},
          {23, "7"},
          {14, "14.5"},
          {24, "20"}},
         14.5 - 2,
         2,
         "",
         ""},
        {"ordinate along Y",
         {{3, "PLAN"},
          {70, "38"},
          {10, "2"},
          {20, "1"},
          {13, "14.5"},
          {23, "7"},
          {14, "30"},
          {24, "7"}},
         7 - 1,
         2,
         "",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto d = readText(drawingWith(dimension(c.pairs)));
        const Entities& e = d->entities;
        ASSERT_EQ(e.texts.size(), 1u);
        char number[32];
        std::snprintf(number, sizeof number, "%.*f", c.decimals, c.measured);
        EXPECT_EQ(d->decodedText(0), c.before + number + c.after);
        EXPECT_DOUBLE_EQ(e.texts[0].height, 5); // DIMTXT 2.5 by DIMSCALE 2
        EXPECT_TRUE(e.notDrawn.empty());
        // Something beside the text: lines, an arc, arrowheads.
        EXPECT_GT(e.lines.size() + e.arcs.size() + e.polylines.size(), 0u);
    }
}

// Returns the arrowheads of e: its filled closed polylines, each as its three corners.
std::vector<std::vector<Point>> arrowheads(const Entities& e) {
    std::vector<std::vector<Point>> out;
    for (std::size_t i = 0; i < e.polylines.size(); ++i) {
        const PolylineRecord& p = e.polylines[i];
        if (!(p.flags() & PolylineRecord::kFilled))
            continue;
        std::vector<Point> corners;
        for (std::uint32_t k = 0; k < p.count; ++k)
            corners.push_back(e.vertices[p.first + k]);
        out.push_back(corners);
    }
    return out;
}

TEST(DimensionTest, LinearLinesArrowheadsAndTextStandWhereThePointsSay) {
    // Rotated level: extension lines from (0,0) and (30,40) down to the dimension line at
    // y = -10, closed arrowheads 4 long (DIMASZ 2 by DIMSCALE 2) pointing out at its ends.
    const auto d = readText(drawingWith(dimension({{3, "PLAN"},
                                                   {70, "32"},
                                                   {13, "0"},
                                                   {23, "0"},
                                                   {14, "30"},
                                                   {24, "40"},
                                                   {10, "0"},
                                                   {20, "-10"},
                                                   {50, "0"}})));
    const Entities& e = d->entities;
    bool line = false;
    for (std::size_t i = 0; i < e.lines.size(); ++i)
        line =
            line || (std::abs(e.lines[i].a.y + 10) < 1e-9 && std::abs(e.lines[i].b.y + 10) < 1e-9 &&
                     std::abs(std::abs(e.lines[i].b.x - e.lines[i].a.x) - 30) < 1e-9);
    EXPECT_TRUE(line) << "the dimension line from x 0 to 30 at y -10";
    const auto heads = arrowheads(e);
    ASSERT_EQ(heads.size(), 2u);
    for (const auto& head : heads) {
        ASSERT_EQ(head.size(), 3u);
        const Point tip = head[0];
        EXPECT_NEAR(tip.y, -10, 1e-9);
        EXPECT_TRUE(std::abs(tip.x) < 1e-9 || std::abs(tip.x - 30) < 1e-9) << tip.x;
        const double backX = (head[1].x + head[2].x) / 2;
        EXPECT_NEAR(std::abs(backX - tip.x), 4, 1e-9);
        EXPECT_NEAR(std::abs(head[1].y - head[2].y), 4.0 / 3, 1e-9); // a third as wide
        EXPECT_LT(std::abs(backX - 15), std::abs(tip.x - 15));       // inside, pointing out
    }
    // The text's middle on the middle of the dimension line (the style's DIMTAD is 0), level.
    ASSERT_EQ(e.texts.size(), 1u);
    EXPECT_NEAR(e.texts[0].x, 15, 1e-6);
    EXPECT_NEAR(e.texts[0].y, -10, 1e-6);
    EXPECT_NEAR(e.texts[0].rotationDegrees(), 0, 1e-6);
}

TEST(DimensionTest, TheStyleComesFromTheTableTheHeaderOrTheDimensionItself) {
    struct Case {
        const char* name;
        Pairs pairs;
        double height;
        std::string text;
    };
    const Pairs points{{70, "33"}, {13, "0"}, {23, "0"}, {14, "30"}, {24, "40"}};
    auto with = [&points](Pairs more) {
        more.insert(more.begin(), points.begin(), points.end());
        return more;
    };
    const std::vector<Case> cases = {
        // A style of the table that sets nothing takes the header's DIMTXT and the usual four
        // decimals; an unknown style is the header's current one.
        {"the table's bare style", with({{3, "BARE"}}), 7, "50.0000"},
        {"a style the table lacks", with({{3, "NONE"}}), 5, "50.00"},
        {"the dimension's own settings",
         with({{3, "PLAN"},
               {1001, "ACAD"},
               {1000, "DSTYLE"},
               {1002, "{"},
               {1070, "140"},
               {1040, "1.5"},
               {1070, "271"},
               {1070, "1"},
               {1070, "3"},
               {1000, "<> m"},
               {1002, "}"}}),
         3, "50.0 m"},
        {"another program's data left alone",
         with({{3, "PLAN"},
               {1001, "OTHER"},
               {1000, "DSTYLE"},
               {1002, "{"},
               {1070, "140"},
               {1040, "1.5"},
               {1002, "}"}}),
         5, "50.00"},
        {"a blank own text shows none", with({{3, "PLAN"}, {1, " "}}), 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto d = readText(drawingWith(dimension(c.pairs)));
        const Entities& e = d->entities;
        if (c.text.empty()) {
            EXPECT_EQ(e.texts.size(), 0u);
            EXPECT_GT(e.lines.size(), 0u);
            continue;
        }
        ASSERT_EQ(e.texts.size(), 1u);
        EXPECT_EQ(d->decodedText(0), c.text);
        EXPECT_DOUBLE_EQ(e.texts[0].height, c.height);
    }
}

TEST(DimensionTest, ADimensionWithItsBlockIsDrawnByTheBlockAlone) {
    const std::string blocks = pairsText({{0, "SECTION"},
                                          {2, "BLOCKS"},
                                          {0, "BLOCK"},
                                          {2, "*D1"},
                                          {10, "0"},
                                          {20, "0"},
                                          {0, "LINE"},
                                          {8, "0"},
                                          {10, "0"},
                                          {20, "0"},
                                          {11, "1"},
                                          {21, "1"},
                                          {0, "ENDBLK"},
                                          {0, "ENDSEC"}});
    const std::string entities =
        dimension(
            {{2, "*D1"}, {3, "PLAN"}, {70, "33"}, {13, "0"}, {23, "0"}, {14, "30"}, {24, "40"}}) +
        // Its block missing: drawn from its points.
        dimension(
            {{2, "*D9"}, {3, "PLAN"}, {70, "33"}, {13, "0"}, {23, "0"}, {14, "3"}, {24, "4"}});
    std::string bytes = drawingWith(entities);
    const std::string entitiesStart = pairsText({{0, "SECTION"}, {2, "ENTITIES"}});
    bytes.insert(bytes.find(entitiesStart), blocks);
    const auto d = readText(bytes);
    const Entities& e = d->entities;
    ASSERT_EQ(e.texts.size(), 1u);
    EXPECT_EQ(d->decodedText(0), "5.00");
    ASSERT_GE(e.inserts.size(), 1u);
    EXPECT_NE(d->blockOf(e.inserts[0]), nullptr);
}

} // namespace
