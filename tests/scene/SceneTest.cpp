// The scene of small drawings through a painter that records what it is asked to draw: where
// texts, lines and arcs land on the device, at which size and turn, and what is left out or
// drawn as a dot or a box.
#include "AllocationCount.h"
#include "TestSupport.h"

#include "drawing/Reader.h"
#include "platform/LineReader.h"
#include "scene/Scene.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace quillet::scene;
using quillet::testing::dxfOf;

std::string pair(int code, const std::string& value) {
    return std::to_string(code) + "\r\n" + value + "\r\n";
}

std::string entity(const std::string& kind, const std::vector<std::pair<int, std::string>>& codes) {
    std::string out = pair(0, kind) + pair(8, "0");
    for (const auto& [code, value] : codes)
        out += pair(code, value);
    return out;
}

std::string text(double x, double y, double height, const std::string& s,
                 const std::vector<std::pair<int, std::string>>& more = {}) {
    std::vector<std::pair<int, std::string>> codes{
        {10, std::to_string(x)}, {20, std::to_string(y)}, {40, std::to_string(height)}, {1, s}};
    codes.insert(codes.end(), more.begin(), more.end());
    return entity("TEXT", codes);
}

std::string line(double x1, double y1, double x2, double y2) {
    return entity("LINE", {{10, std::to_string(x1)},
                           {20, std::to_string(y1)},
                           {11, std::to_string(x2)},
                           {21, std::to_string(y2)}});
}

std::unique_ptr<quillet::drawing::Drawing> drawingOf(const std::string& entities) {
    const std::string bytes = dxfOf(entities);
    quillet::platform::MemorySource source(bytes);
    return quillet::drawing::readDrawing(source, static_cast<std::int64_t>(bytes.size()));
}

// Records every call. Each character is half an em wide.
struct RecordedRun {
    GlyphRun run;
    std::vector<std::u16string> texts;
    std::vector<DevicePoint> offsets;
};
struct RecordingPainter final : Painter {
    std::vector<std::vector<DevicePoint>> polylines;
    struct Arc {
        DevicePoint center;
        double radius, start, span;
    };
    std::vector<Arc> arcs;
    std::vector<DeviceRect> rects;
    std::vector<RecordedRun> runs;
    int dotCalls = 0;
    int dotPixels = 0;

    double advance(std::u16string_view t) override { return 0.5 * static_cast<double>(t.size()); }
    void polyline(std::span<const DevicePoint> p, const Stroke&) override {
        polylines.emplace_back(p.begin(), p.end());
    }
    void arc(DevicePoint c, double r, double start, double span, const Stroke&) override {
        arcs.push_back({c, r, start, span});
    }
    void fill(std::span<const DevicePoint>, std::span<const std::uint32_t>, Color) override {}
    void fillRects(std::span<const DeviceRect> r, Color color) override {
        EXPECT_LT(color.a, 255) << "boxes are translucent";
        rects.insert(rects.end(), r.begin(), r.end());
    }
    void dots(const DotMask& mask, Color) override {
        ++dotCalls;
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                dotPixels += mask.at(x, y);
    }
    void glyphRun(const GlyphRun& r) override {
        RecordedRun run{r, {}, {}};
        for (const TextLine& l : r.lines) {
            run.texts.emplace_back(l.text);
            run.offsets.push_back({l.x, l.y});
        }
        run.run.lines = {};
        runs.push_back(std::move(run));
    }
};

// A 200 by 100 pixel view, two pixels a unit, the drawing's origin in the middle.
ViewTransform smallView() {
    ViewTransform v;
    v.scale = 2;
    v.size = {200, 100};
    return v;
}

struct Drawn {
    RecordingPainter painter;
    PaintStats stats;
};

Drawn draw(const std::string& entities, ViewTransform view = smallView()) {
    const auto drawing = drawingOf(entities);
    Drawn d;
    TextCache cache;
    Scene scene;
    d.stats = scene.draw(*drawing, view, cache, d.painter);
    return d;
}

TEST(SceneTest, TextLandsAtItsAnchorWithItsSizeTurnAndStretch) {
    const Drawn d = draw(text(10, 5, 11, "AB", {{50, "30"}, {41, "0.5"}}));
    ASSERT_EQ(d.painter.runs.size(), 1u);
    const RecordedRun& r = d.painter.runs[0];
    EXPECT_DOUBLE_EQ(r.run.origin.x, 120);
    EXPECT_DOUBLE_EQ(r.run.origin.y, 40);
    EXPECT_NEAR(r.run.emPixels, 11 / Scene::kCapPerEm * 2, 1e-9);
    EXPECT_NEAR(r.run.rotationDegrees, 30, 0.01);
    EXPECT_DOUBLE_EQ(r.run.xScale, 0.5);
    ASSERT_EQ(r.texts.size(), 1u);
    EXPECT_EQ(r.texts[0], u"AB");
    EXPECT_DOUBLE_EQ(r.offsets[0].x, 0); // left on the baseline: the anchor is where it starts
    EXPECT_DOUBLE_EQ(r.offsets[0].y, 0);
    EXPECT_EQ(d.stats.textsDrawn, 1u);
}

TEST(SceneTest, JustifiedTextStartsLeftOfItsAlignmentPointByItsMeasuredWidth) {
    // "ABCD" is two ems by the painter's measure, stretched by the width factor 0.5.
    const double em = 11 / Scene::kCapPerEm, width = 2 * em * 0.5;
    struct Case {
        const char* justification;
        int h;
        double x; // the start's offset in pixels
    };
    for (const Case c :
         {Case{"left", 0, 0}, Case{"center", 1, -width / 2 * 2}, Case{"right", 2, -width * 2}}) {
        SCOPED_TRACE(c.justification);
        const Drawn d = draw(
            text(0, 0, 11, "ABCD", {{41, "0.5"}, {72, std::to_string(c.h)}, {11, "3"}, {21, "4"}}));
        ASSERT_EQ(d.painter.runs.size(), 1u);
        const RecordedRun& r = d.painter.runs[0];
        EXPECT_NEAR(r.offsets[0].x, c.x, 1e-9);
        if (c.h != 0) { // placed at its alignment point, as CAD programs place it
            EXPECT_DOUBLE_EQ(r.run.origin.x, 106);
            EXPECT_DOUBLE_EQ(r.run.origin.y, 42);
        }
    }
}

TEST(SceneTest, MTextLinesFollowEachOtherAtFiveThirdsOfTheHeight) {
    const Drawn d = draw(entity("MTEXT", {{10, "0"}, {20, "0"}, {40, "6"}, {1, "one\\Ptwo"}}));
    ASSERT_EQ(d.painter.runs.size(), 1u);
    const RecordedRun& r = d.painter.runs[0];
    ASSERT_EQ(r.texts, (std::vector<std::u16string>{u"one", u"two"}));
    EXPECT_NEAR(r.offsets[0].y, 6 * 2, 1e-9); // top left: the first cap height below the anchor
    EXPECT_NEAR(r.offsets[1].y - r.offsets[0].y, 5.0 / 3.0 * 6 * 2, 1e-9);
    EXPECT_DOUBLE_EQ(r.run.xScale, 1);
}

TEST(SceneTest, LinesPolylinesAndArcsLandInDevicePixels) {
    const Drawn d =
        draw(line(0, 0, 10, -5) +
             entity("ARC", {{10, "5"}, {20, "5"}, {40, "10"}, {50, "270"}, {51, "90"}}) +
             entity("CIRCLE", {{10, "-5"}, {20, "0"}, {40, "3"}}) +
             entity("LWPOLYLINE", {{90, "3"},
                                   {70, "1"},
                                   {10, "-20"},
                                   {20, "-10"},
                                   {10, "-10"},
                                   {20, "-10"},
                                   {10, "-10"},
                                   {20, "0"}}));
    const auto& lines = d.painter.polylines;
    ASSERT_EQ(lines.size(), 2u);
    std::vector<DevicePoint> expectLine{{100, 50}, {120, 60}};
    std::vector<DevicePoint> expectSquare{{60, 70}, {80, 70}, {80, 50}, {60, 70}};
    for (const auto& [got, want] : {std::pair{lines[0], expectLine}, {lines[1], expectSquare}}) {
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t k = 0; k < got.size(); ++k) {
            EXPECT_DOUBLE_EQ(got[k].x, want[k].x);
            EXPECT_DOUBLE_EQ(got[k].y, want[k].y);
        }
    }
    ASSERT_EQ(d.painter.arcs.size(), 2u);
    const auto& arc = d.painter.arcs[0];
    EXPECT_DOUBLE_EQ(arc.center.x, 110);
    EXPECT_DOUBLE_EQ(arc.center.y, 40);
    EXPECT_DOUBLE_EQ(arc.radius, 20);
    EXPECT_DOUBLE_EQ(arc.start, 270);
    EXPECT_DOUBLE_EQ(arc.span, 180); // across 0 degrees
    EXPECT_DOUBLE_EQ(d.painter.arcs[1].span, 360);
}

TEST(SceneTest, WhatLiesOffTheViewIsNotDrawn) {
    const Drawn d = draw(line(200, 200, 300, 200) + text(-500, 0, 10, "far") +
                         entity("CIRCLE", {{10, "0"}, {20, "900"}, {40, "3"}}) + line(0, 0, 1, 1));
    EXPECT_EQ(d.painter.polylines.size(), 1u);
    EXPECT_TRUE(d.painter.runs.empty());
    EXPECT_TRUE(d.painter.arcs.empty());
    EXPECT_EQ(d.painter.dotCalls, 0);
}

TEST(SceneTest, SmallThingsBecomeDotsAndSmallTextsTranslucentBoxes) {
    struct Case {
        const char* what;
        std::string entities;
        std::size_t dots, boxes, runs, polylines;
    };
    const Case cases[] = {
        {"a line below a pixel and a half", line(0, 0, 0.5, 0.5), 1, 0, 0, 0},
        {"a line just above", line(0, 0, 1, 0), 0, 0, 0, 1},
        {"a text 4 pixels tall", text(0, 0, 2, "small"), 0, 1, 0, 0},
        {"a text 5 pixels tall", text(0, 0, 2.5, "read"), 0, 0, 1, 0},
        {"a text many views tall", text(0, 0, 1000, "huge"), 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Drawn d = draw(c.entities);
        EXPECT_EQ(d.stats.dots, c.dots);
        EXPECT_EQ(d.painter.dotCalls, c.dots ? 1 : 0);
        EXPECT_EQ(d.painter.rects.size(), c.boxes);
        EXPECT_EQ(d.stats.textsBoxed, c.boxes);
        EXPECT_EQ(d.painter.runs.size(), c.runs);
        EXPECT_EQ(d.painter.polylines.size(), c.polylines);
    }
    const Drawn dot = draw(line(0, 0, 0.2, 0.2));
    EXPECT_GE(dot.painter.dotPixels, 1);
    EXPECT_LE(dot.painter.dotPixels, 4);
}

TEST(SceneTest, PastTheBudgetTheSmallestTextsBecomeBoxes) {
    std::string entities;
    const std::size_t extra = 7;
    const std::size_t all = Scene::kTextBudget + extra;
    for (std::size_t i = 0; i < all; ++i) // heights 3.0, 3.001, ...: every one readable
        entities += text(static_cast<double>(i % 40) - 20, static_cast<double>(i / 40 % 20) - 10,
                         3 + 0.001 * static_cast<double>(i), "x");
    const Drawn d = draw(entities);
    EXPECT_EQ(d.painter.runs.size(), Scene::kTextBudget);
    EXPECT_EQ(d.stats.textsDrawn, Scene::kTextBudget);
    EXPECT_EQ(d.stats.textsBoxed, extra);
    double smallestDrawn = 1e9;
    for (const RecordedRun& r : d.painter.runs)
        smallestDrawn = std::min(smallestDrawn, r.run.emPixels);
    EXPECT_NEAR(smallestDrawn, (3 + 0.001 * extra) / Scene::kCapPerEm * 2, 1e-6);
}

TEST(SceneTest, FarCoordinatesAreClippedBeforeThePainterSeesThem) {
    const Drawn d = draw(line(-1e9, 1, 1e9, 1) +
                         entity("CIRCLE", {{10, "0"}, {20, "-100000"}, {40, "100000"}}));
    EXPECT_TRUE(d.painter.arcs.empty()); // too large to hand over whole
    ASSERT_GE(d.painter.polylines.size(), 2u);
    for (const auto& p : d.painter.polylines)
        for (const DevicePoint& q : p) {
            EXPECT_GE(q.x, -2);
            EXPECT_LE(q.x, 202);
            EXPECT_GE(q.y, -2);
            EXPECT_LE(q.y, 102);
        }
    EXPECT_DOUBLE_EQ(d.painter.polylines[0].front().x, -2);
    EXPECT_DOUBLE_EQ(d.painter.polylines[0].back().x, 202);
    EXPECT_DOUBLE_EQ(d.painter.polylines[0].front().y, 48);
}

// Counts calls and keeps nothing, so that it allocates nothing itself.
struct CountingPainter final : Painter {
    std::size_t calls = 0;
    double advance(std::u16string_view t) override { return static_cast<double>(t.size()); }
    void polyline(std::span<const DevicePoint>, const Stroke&) override { ++calls; }
    void arc(DevicePoint, double, double, double, const Stroke&) override { ++calls; }
    void fill(std::span<const DevicePoint>, std::span<const std::uint32_t>, Color) override {}
    void fillRects(std::span<const DeviceRect>, Color) override { ++calls; }
    void dots(const DotMask&, Color) override { ++calls; }
    void glyphRun(const GlyphRun&) override { ++calls; }
};

TEST(SceneTest, AViewAllocatesNothingPerItemOnceItsBuffersHaveGrown) {
    std::string entities;
    for (int i = 0; i < 3000; ++i) {
        const double x = i % 60 - 30, y = i / 60 % 30 - 15;
        entities += line(x, y, x + 0.9, y + 0.4) + text(x, y, 3 + i % 5, "abc") +
                    entity("CIRCLE", {{10, std::to_string(x)}, {20, std::to_string(y)}, {40, "2"}});
    }
    entities += entity("MTEXT", {{10, "0"}, {20, "0"}, {40, "6"}, {1, "one\\Ptwo\\Pthree"}});
    const auto drawing = drawingOf(entities);
    Scene scene;
    TextCache cache;
    CountingPainter painter;
    ViewTransform zoomedOut = smallView(), closer = smallView();
    zoomedOut.scale = 0.5;
    closer.scale = 4;
    for (const ViewTransform& view : {smallView(), zoomedOut, closer})
        scene.draw(*drawing, view, cache, painter); // the buffers grow, the texts are decoded
    for (const ViewTransform& view : {smallView(), zoomedOut, closer}) {
        const std::size_t before = allocationCount(), calls = painter.calls;
        scene.draw(*drawing, view, cache, painter);
        EXPECT_GT(painter.calls - calls, 100u);
        EXPECT_EQ(allocationCount() - before, 0u);
    }
}

} // namespace
