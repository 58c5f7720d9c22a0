// The small drawings of tests/drawing/samples (written by make_samples.py from the DXF
// reference), each read and checked against what the drawing itself states: the columns of
// an MTEXT and its text whole, codes without their ";", the points of a helix, the frames of
// images and underlays whose files are not there.
#include "drawing/PairParser.h"
#include "drawing/Reader.h"
#include "drawing/TextListing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace quillet::drawing;

std::string samplePath(const char* name) {
    return (std::filesystem::path(QUILLET_SAMPLES_DIR) / name).string();
}

std::unique_ptr<Drawing> sample(const char* name) {
    return readDrawing(samplePath(name));
}

struct Listed {
    double x, y;
    std::string text; // decoded
};

std::vector<Listed> listed(const Drawing& d) {
    std::vector<Listed> out;
    forEachPlacedText(d, [&](const PlacedText& p) {
        out.push_back({p.x, p.y, d.decodedText(*p.owner, p.index)});
    });
    return out;
}

struct Columns {
    std::uint16_t count;
    float width, gutter, height;
    std::vector<float> heights;
};

void expectColumns(const Entities& e, std::size_t i, const Columns& c) {
    ASSERT_TRUE(e.textExtra(i).columns);
    const TextColumns got = e.textColumns(i);
    EXPECT_EQ(got.count, c.count);
    EXPECT_EQ(got.width, c.width);
    EXPECT_EQ(got.gutter, c.gutter);
    EXPECT_EQ(got.height, c.height);
    EXPECT_EQ(std::vector<float>(got.heights, got.heights + got.heightCount), c.heights);
}

TEST(SamplesTest, AnMTextInColumnsIsOneTextWithEveryColumnsText) {
    struct Case {
        const char* file;
        std::vector<Listed> texts;
        std::vector<Columns> columns; // of the texts before the last, a TEXT
    };
    const std::string flow =
        "flow 1\nflow 2\nflow 3\nflow 4\nflow 5\nflow 6\nflow 7\nflow 8\nflow 9";
    const std::string three =
        "one 1\none 2\none 3\vtwo 1\ntwo 2\vthree 1\nthree 2\nthree 3\nthree 4";
    const Case cases[] = {
        // Each column an MTEXT of its own, named by the first; the empty ones add nothing.
        {"mtext_columns_r2007.dxf",
         {{0, 0, three}, {0, -50, flow}, {0, 10, "columns of R2007"}},
         {{3, 20, 1, 30, {}}, {3, 20, 1, 0, {5, 8, 0}}}},
        // One MTEXT: the embedded object's settings (the count from the total width when it
        // is 0), and the MTEXT's own column groups.
        {"mtext_columns_r2018.dxf",
         {{0, 0, three},
          {0, -50, flow},
          {0, -100, "own 1\nown 2\nown 3\nown 4\nown 5"},
          {0, 10, "columns of R2018"}},
         {{3, 20, 1, 30, {}}, {3, 20, 1, 5, {}}, {2, 15, 5, 0, {5, 0}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto d = sample(c.file);
        const std::vector<Listed> got = listed(*d);
        ASSERT_EQ(got.size(), c.texts.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].x, c.texts[i].x);
            EXPECT_EQ(got[i].y, c.texts[i].y);
            EXPECT_EQ(got[i].text, c.texts[i].text);
        }
        for (std::size_t i = 0; i < c.columns.size(); ++i)
            expectColumns(d->entities, i, c.columns[i]);
        EXPECT_FALSE(d->entities.textExtra(c.columns.size()).columns);
        // The index's box takes in every column: three 20 wide, 1 apart.
        const Box first = estimatedTextBox(d->entities, 0);
        EXPECT_NEAR(first.minX, 0, 1e-9);
        EXPECT_NEAR(first.maxX, 62, 1e-9);
        EXPECT_NEAR(first.maxY, 0, 1e-9);
        EXPECT_LE(first.minY, -30); // as tall as the columns' height
    }
}

TEST(SamplesTest, FurtherColumnsAreHeldForAcrossThePieceAParserEndsWith) {
    // A piece of the entities section that ends after a first column cannot tell whether the
    // MTEXTs after it are its further columns: it does not end between entities, so the
    // parser that read it goes on.
    std::ifstream in(samplePath("mtext_columns_r2007.dxf"), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string all = bytes.str();
    const std::size_t entities = all.find("ENTITIES\n") + 9;
    const std::size_t second = all.find("  0\nMTEXT\n", entities + 1);
    ASSERT_NE(second, std::string::npos);
    std::string piece = all.substr(entities, second - entities);
    piece.append(kReadAhead, '\0');
    Entities out;
    PairParser parser(out, PairParser::Section::Entities);
    parser.parse(piece.data(), piece.data() + (second - entities));
    parser.finishBeforeEntity();
    EXPECT_FALSE(parser.atEntityStart());
    EXPECT_EQ(out.texts.size(), 0u);
}

TEST(SamplesTest, CodesWithoutTheirSemicolonLoseNothingAfterThem) {
    const auto d = sample("mtext_codes_without_semicolon.dxf");
    const std::vector<Listed> got = listed(*d);
    const std::vector<std::string> expected = {
        "red after", "big then", "narrow and", "slanted too", "wide text", "middle line",
        "rgb colour", "kept as is",
        // Chunks of 250 bytes cut inside "{\C1" and "\H2": the next chunk is text again.
        std::string(246, 'a') + std::string(247, 'B') + "tail end"};
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i].text, expected[i]);
}

TEST(SamplesTest, AHelixIsTheSplineItHolds) {
    // Radius 10 about (0, 0), three turns; radius 4 about (30, 0), one and a half; each a
    // spline of quarter turns whose joints are on the circle, the first at angle 0.
    struct Helix {
        double cx, cy, radius;
        int quarters;
    };
    const Helix helixes[] = {{0, 0, 10, 12}, {30, 0, 4, 6}};
    const auto d = sample("helix.dxf");
    const Entities& e = d->entities;
    EXPECT_EQ(e.notDrawn.count("HELIX"), 0u);
    EXPECT_EQ(e.skipped, 0);
    ASSERT_EQ(e.polylines.size(), 2u);
    const double pi = std::acos(-1.0);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const Helix& h = helixes[i];
        const PolylineRecord& p = e.polylines[i];
        ASSERT_GT(p.count, 4u * h.quarters);
        std::vector<Point> points;
        for (std::uint32_t k = 0; k < p.count; ++k)
            points.push_back(e.vertices[p.first + k]);
        // Seen from above it is its circle: no axis point, radius or turns read as the
        // spline's control points, knots or weights.
        for (const Point& v : points)
            EXPECT_NEAR(std::hypot(v.x - h.cx, v.y - h.cy), h.radius, h.radius * 1e-3);
        // It winds about its axis as many quarter turns as it holds, through every joint
        // (within half a step of its polyline), from its first control point to its last.
        double turned = 0, step = 0;
        for (std::size_t k = 1; k < points.size(); ++k) {
            const Point &a = points[k - 1], &b = points[k];
            turned += std::remainder(
                std::atan2(b.y - h.cy, b.x - h.cx) - std::atan2(a.y - h.cy, a.x - h.cx), 2 * pi);
            step = std::max(step, std::hypot(b.x - a.x, b.y - a.y));
        }
        EXPECT_NEAR(turned, h.quarters * pi / 2, 1e-9);
        for (int q = 0; q <= h.quarters; ++q) {
            const Point joint{h.cx + h.radius * std::cos(q * pi / 2),
                              h.cy + h.radius * std::sin(q * pi / 2)};
            double nearest = 1e300;
            for (const Point& v : points)
                nearest = std::min(nearest, std::hypot(v.x - joint.x, v.y - joint.y));
            EXPECT_LE(nearest, step / 2 + 1e-9) << q;
        }
        EXPECT_NEAR(points.front().x, h.cx + h.radius, 1e-9);
        EXPECT_NEAR(points.back().x, h.cx + (h.quarters % 4 ? -h.radius : h.radius), 1e-9);
    }
}

TEST(SamplesTest, ImagesAndUnderlaysShowTheirFramesWithoutTheirFiles) {
    // What make_samples.py writes: the files named are nowhere (one on a network share), and
    // the frames come from the entities alone.
    const double c = std::cos(std::acos(-1.0) / 6), s = std::sin(std::acos(-1.0) / 6);
    const auto turned = [&](double x, double y) {
        return Point{30 + x * c - y * s, x * s + y * c};
    };
    const std::vector<std::vector<Point>> expected = {
        // 200 by 100 pixels of 0.1 units: its own rectangle (its boundary is the same).
        {{0, 0}, {20, 0}, {20, 10}, {0, 10}},
        // Turned 30 degrees, clipped by the triangle (-0.5, 99.5), (199.5, 99.5), (99.5, -0.5)
        // of pixels counted from the top left: the bottom corners and the top middle.
        {turned(0, 0), turned(20, 0), turned(10, 10)},
        // PDF: a rectangle of (0, 0) and (10, 5), scaled 2, at (0, 20).
        {{0, 20}, {20, 20}, {20, 30}, {0, 30}},
        // DWF: a polygon turned 90 degrees at (30, 20).
        {{30, 20}, {30, 30}, {20, 30}, {15, 25}, {20, 20}},
    };
    const auto d = sample("image_underlay_frames.dxf");
    const Entities& e = d->entities;
    ASSERT_EQ(e.polylines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const PolylineRecord& p = e.polylines[i];
        EXPECT_TRUE(p.closed);
        ASSERT_EQ(p.count, expected[i].size());
        for (std::uint32_t k = 0; k < p.count; ++k) {
            EXPECT_NEAR(e.vertices[p.first + k].x, expected[i][k].x, 1e-9) << k;
            EXPECT_NEAR(e.vertices[p.first + k].y, expected[i][k].y, 1e-9) << k;
        }
    }
    // The DGN underlay has no boundary: its size is in its file alone, so it is named.
    EXPECT_EQ(e.notDrawn.count("DGNUNDERLAY"), 1u);
    EXPECT_EQ(e.skipped, 0);
}

} // namespace
