// The scene of small drawings through a painter that records what it is asked to draw: where
// texts, lines and arcs land on the device, at which size and turn, and what is left out or
// drawn as a dot or a box.
#include "AllocationCount.h"
#include "DrawingOf.h"
#include "TestSupport.h"

#include "drawing/Reader.h"
#include "platform/LineReader.h"
#include "scene/Scene.h"
#include "scene/ViewState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace quillet::scene;
using quillet::testing::drawingFrom;
using quillet::testing::drawingOf;
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

// A drawing with a layer table and blocks besides its entities.
std::string drawingBytes(const std::string& layers, const std::string& blocks,
                         const std::string& entities) {
    return pair(0, "SECTION") + pair(2, "TABLES") + pair(0, "TABLE") + pair(2, "LAYER") + layers +
           pair(0, "ENDTAB") + pair(0, "ENDSEC") + pair(0, "SECTION") + pair(2, "BLOCKS") + blocks +
           pair(0, "ENDSEC") + pair(0, "SECTION") + pair(2, "ENTITIES") + entities +
           pair(0, "ENDSEC") + pair(0, "EOF");
}

std::string layer(const std::string& name, int colour, int flags = 0) {
    return pair(0, "LAYER") + pair(2, name) + pair(62, std::to_string(colour)) +
           pair(70, std::to_string(flags));
}

std::string block(const std::string& name, double baseX, double baseY,
                  const std::string& entities) {
    return pair(0, "BLOCK") + pair(8, "0") + pair(2, name) + pair(10, std::to_string(baseX)) +
           pair(20, std::to_string(baseY)) + entities + pair(0, "ENDBLK");
}

std::string insert(const std::string& name, double x, double y,
                   const std::vector<std::pair<int, std::string>>& more = {}) {
    std::vector<std::pair<int, std::string>> codes{
        {2, name}, {10, std::to_string(x)}, {20, std::to_string(y)}};
    codes.insert(codes.end(), more.begin(), more.end());
    return entity("INSERT", codes);
}

// Records every call. Each character is half an em wide.
struct RecordedRun {
    GlyphRun run;
    std::vector<std::u16string> texts;
    std::vector<DevicePoint> offsets;
};
struct RecordingPainter final : Painter {
    std::vector<std::vector<DevicePoint>> polylines;
    std::vector<Color> polylineColors;
    struct Fill {
        std::vector<DevicePoint> points;
        std::vector<std::uint32_t> rings;
        Color color;
    };
    std::vector<Fill> fills;
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
    void polyline(std::span<const DevicePoint> p, const Stroke& s) override {
        polylines.emplace_back(p.begin(), p.end());
        polylineColors.push_back(s.color);
    }
    void arc(DevicePoint c, double r, double start, double span, const Stroke&) override {
        arcs.push_back({c, r, start, span});
    }
    void fill(std::span<const DevicePoint> p, std::span<const std::uint32_t> r,
              Color color) override {
        fills.push_back({{p.begin(), p.end()}, {r.begin(), r.end()}, color});
    }
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

Drawn drawDrawing(const quillet::drawing::Drawing& drawing, ViewTransform view = smallView()) {
    Drawn d;
    TextCache cache;
    Scene scene;
    d.stats = scene.draw(drawing, view, cache, d.painter);
    return d;
}

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
        {"a long line of text a tenth of a pixel tall", text(-50, 0, 0.05, std::string(1000, 'x')),
         0, 1, 0, 0},
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
    // A box thinner than a pixel is a pixel thick, or it would not show.
    const Drawn thin = draw(text(-50, 0, 0.05, std::string(1000, 'x')));
    ASSERT_EQ(thin.painter.rects.size(), 1u);
    EXPECT_NEAR(thin.painter.rects[0].height(), 1, 1e-9);
    EXPECT_NEAR(thin.painter.rects[0].width(), 1000 * 0.6 * 0.05 * 2, 1e-5); // as long as it is
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

// Returns whether recorded holds a polyline from a to b (either way), to a hundredth of a pixel.
bool hasSegment(const RecordingPainter& recorded, DevicePoint a, DevicePoint b) {
    auto near = [](DevicePoint p, DevicePoint q) {
        return std::abs(p.x - q.x) < 0.01 && std::abs(p.y - q.y) < 0.01;
    };
    for (const auto& p : recorded.polylines)
        if (p.size() == 2 && ((near(p[0], a) && near(p[1], b)) || (near(p[0], b) && near(p[1], a))))
            return true;
    return false;
}

TEST(SceneBlockTest, InsertsLandWithTheirScaleTurnMirrorArrayAndNesting) {
    // Block B: a line from its base point three units along X. The view: (x, y) lands at
    // (100 + 2x, 50 - 2y).
    const std::string blocks = block("B", 1, 0, line(1, 0, 4, 0)) +
                               block("N", 0, 0, insert("B", 0, 10, {{41, "2"}, {42, "2"}}));
    struct Case {
        const char* what;
        std::string inserts;
        std::vector<std::pair<DevicePoint, DevicePoint>> segments;
    };
    const Case cases[] = {
        {"turned a quarter, twice the size, two columns 10 apart",
         insert("B", 10, 5, {{41, "2"}, {42, "2"}, {50, "90"}, {70, "2"}, {44, "10"}}),
         {{{120, 40}, {120, 28}}, {{120, 20}, {120, 8}}}},
        {"mirrored by a negative scale", insert("B", -20, 0, {{41, "-1"}}), {{{60, 50}, {54, 50}}}},
        {"three rows 5 apart",
         insert("B", 0, -10, {{71, "3"}, {45, "5"}}),
         {{{100, 70}, {106, 70}}, {{100, 60}, {106, 60}}, {{100, 50}, {106, 50}}}},
        {"a block inside a block, both scaled",
         insert("N", 5, -20, {{41, "0.5"}, {42, "0.5"}}),
         {{{110, 80}, {116, 80}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto drawing = drawingFrom(drawingBytes("", blocks, c.inserts));
        const Drawn d = drawDrawing(*drawing);
        EXPECT_EQ(d.painter.polylines.size(), c.segments.size());
        for (const auto& [a, b] : c.segments)
            EXPECT_TRUE(hasSegment(d.painter, a, b))
                << a.x << "," << a.y << " " << b.x << "," << b.y;
    }
}

TEST(SceneBlockTest, ColoursComeFromTheRecordItsLayerOrItsInsert) {
    const Style style;
    const std::string layers =
        layer("RED", 1) + layer("OFF", -3) + layer("FROZEN", 4, 1) + layer("WHITE", 7);
    const std::string blocks =
        block("B", 0, 0,
              entity("LINE", {{62, "0"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "0"}}) + // BYBLOCK
                  line(0, 5, 10, 5)); // layer 0: takes the insert's layer, BYLAYER: its colour
    auto onLayer = [](const std::string& name, double y,
                      std::vector<std::pair<int, std::string>> more) {
        more.insert(more.begin(),
                    {{10, "0"}, {20, std::to_string(y)}, {11, "10"}, {21, std::to_string(y)}});
        std::string out = pair(0, "LINE") + pair(8, name);
        for (const auto& [code, value] : more)
            out += pair(code, value);
        return out;
    };
    const std::string entities = onLayer("RED", -20, {}) + onLayer("RED", -18, {{62, "5"}}) +
                                 onLayer("WHITE", -16, {}) + onLayer("0", -14, {{420, "1193046"}}) +
                                 onLayer("0", -12, {{62, "2"}}) + onLayer("OFF", -10, {}) +
                                 onLayer("FROZEN", -8, {}) + pair(0, "INSERT") + pair(8, "RED") +
                                 pair(62, "3") + pair(2, "B") + pair(10, "0") + pair(20, "10");
    const Drawn d = drawDrawing(*drawingFrom(drawingBytes(layers, blocks, entities)));
    auto colourAt = [&](double y) -> Color {
        const double deviceY = 50 - 2 * y;
        for (std::size_t k = 0; k < d.painter.polylines.size(); ++k)
            if (std::abs(d.painter.polylines[k][0].y - deviceY) < 0.01)
                return d.painter.polylineColors[k];
        ADD_FAILURE() << "nothing drawn at " << y;
        return {};
    };
    EXPECT_EQ(colourAt(-20), (Color{255, 0, 0}));        // BYLAYER
    EXPECT_EQ(colourAt(-18), (Color{0, 0, 255}));        // its own
    EXPECT_EQ(colourAt(-16), style.line);                // white on a white page: the line ink
    EXPECT_EQ(colourAt(-14), (Color{0x12, 0x34, 0x56})); // true colour
    const Color yellow = colourAt(-12);                  // too pale on white: darkened, same hue
    EXPECT_EQ(yellow.r, yellow.g);
    EXPECT_LT(yellow.r, 200);
    EXPECT_EQ(yellow.b, 0);
    EXPECT_EQ(colourAt(10), (Color{0, 255, 0})); // BYBLOCK: the insert's colour
    EXPECT_EQ(colourAt(15), (Color{255, 0, 0})); // layer 0 in a block: the insert's layer
    EXPECT_EQ(d.painter.polylines.size(), 7u);   // nothing of the layers off or frozen
}

// A multileader's pairs: its layer, then its context and what follows it.
std::string multiLeader(const std::string& layerName,
                        const std::vector<std::pair<int, std::string>>& codes) {
    std::string out = pair(0, "MULTILEADER") + pair(8, layerName);
    for (const auto& [code, value] : codes)
        out += pair(code, value);
    return out;
}

// A balloon multileader: the block BALLOON (record 1F) at x, y with its attribute 2A's value.
std::string balloon(const std::string& layerName, double x, double y, const std::string& value) {
    return multiLeader(layerName, {{300, "CONTEXT_DATA{"},
                                   {40, "1"},
                                   {41, "4"},
                                   {290, "0"},
                                   {296, "1"},
                                   {341, "1F"},
                                   {15, std::to_string(x)},
                                   {25, std::to_string(y)},
                                   {16, "1"},
                                   {26, "1"},
                                   {302, "LEADER{"},
                                   {10, std::to_string(x - 5)},
                                   {20, std::to_string(y)},
                                   {304, "LEADER_LINE{"},
                                   {10, "40"},
                                   {20, "20"},
                                   {305, "}"},
                                   {303, "}"},
                                   {301, "}"},
                                   {170, "1"},
                                   {291, "0"},
                                   {330, "2A"},
                                   {302, value}});
}

TEST(SceneBlockTest, LayersThatAreOffOrFrozenHideMultiLeadersAndAttributesAndTheExtents) {
    // A detail on a layer that shows; far from it, balloons and a note on a frozen layer
    // (named in other letters' case than the table's) and on one that is off, and an insert
    // on the frozen layer whose attribute stands on the detail's layer.
    const std::string layers = layer("DETAIL", 5) + layer("BALLOONS", 1, 1) + layer("NOTES", -3);
    const std::string blocks =
        pair(0, "BLOCK") + pair(330, "1F") + pair(8, "0") + pair(2, "BALLOON") + pair(10, "0") +
        pair(20, "0") + entity("CIRCLE", {{10, "0"}, {20, "0"}, {40, "5"}}) +
        // No default value: the block's first text is empty.
        entity("ATTDEF", {{5, "2A"}, {10, "0"}, {20, "0"}, {40, "4"}, {1, ""}, {2, "NUM"}}) +
        pair(0, "ENDBLK");
    const std::string note = multiLeader("NOTES", {{300, "CONTEXT_DATA{"},
                                                   {41, "4"},
                                                   {290, "1"},
                                                   {304, "NOTE"},
                                                   {12, "-250"},
                                                   {22, "-150"},
                                                   {301, "}"}});
    const std::string entities =
        pair(0, "LINE") + pair(8, "DETAIL") + pair(10, "0") + pair(20, "0") + pair(11, "40") +
        pair(21, "25") + balloon("DETAIL", 60, 10, "3") + balloon("balloons", 300, 200, "7") +
        note + pair(0, "INSERT") + pair(8, "BALLOONS") + pair(66, "1") + pair(2, "BALLOON") +
        pair(10, "-200") + pair(20, "150") + pair(0, "ATTRIB") + pair(8, "DETAIL") +
        pair(10, "-200") + pair(20, "150") + pair(40, "4") + pair(1, "9") + pair(2, "NUM") +
        pair(0, "SEQEND") + pair(8, "BALLOONS");
    const auto drawing = drawingFrom(drawingBytes(layers, blocks, entities));
    // The fit view takes in the detail and the balloon that shows, nothing of the rest.
    const quillet::drawing::Box& box = drawing->extents();
    EXPECT_NEAR(box.minX, 0, 1e-9);
    EXPECT_NEAR(box.minY, 0, 1e-9);
    EXPECT_NEAR(box.maxX, 65, 1e-9);
    EXPECT_NEAR(box.maxY, 25, 1e-9);
    ViewTransform view; // every part in view, large enough to read
    view.scale = 4;
    view.size = {4000, 2000};
    const Drawn d = drawDrawing(*drawing, view);
    std::vector<std::u16string> texts;
    for (const RecordedRun& r : d.painter.runs)
        texts.insert(texts.end(), r.texts.begin(), r.texts.end());
    EXPECT_EQ(texts, std::vector<std::u16string>{u"3"});
    EXPECT_EQ(d.painter.arcs.size(), 1u); // the visible balloon's circle
}

TEST(SceneBlockTest, AMillionCopiesStayWithinTheBudget) {
    std::string lines;
    for (int k = 0; k < 100; ++k)
        lines += line(0, k * 0.02, 1, k * 0.02);
    // 1000 by 1000 copies, each 10 pixels across: the view sees about 20 by 10 of them; a
    // second, zoomed out, sees every copy below a box's size.
    const auto drawing = drawingFrom(drawingBytes(
        "", block("B", 0, 0, lines),
        insert("B", -50, -25,
               {{41, "5"}, {42, "5"}, {70, "1000"}, {71, "1000"}, {44, "5"}, {45, "5"}})));
    const Drawn near = drawDrawing(*drawing);
    EXPECT_GT(near.stats.copiesDrawn, 100u);
    EXPECT_LT(near.stats.copiesDrawn, 400u);
    EXPECT_LE(near.painter.polylines.size(), Scene::kBlockBudget);
    ViewTransform far = smallView();
    far.scale = 0.02;
    const Drawn away = drawDrawing(*drawing, far);
    EXPECT_EQ(away.stats.copiesDrawn, 0u);
    EXPECT_TRUE(away.painter.polylines.empty());
    EXPECT_GT(away.stats.dots + away.painter.rects.size(), 0u);
}

// Counts what a view hands over, point by point: its work, as the block budget counts it.
struct WorkPainter final : Painter {
    std::size_t points = 0;
    double advance(std::u16string_view t) override { return static_cast<double>(t.size()); }
    void polyline(std::span<const DevicePoint> p, const Stroke&) override { points += p.size(); }
    void arc(DevicePoint, double, double, double, const Stroke&) override { ++points; }
    void fill(std::span<const DevicePoint> p, std::span<const std::uint32_t>, Color) override {
        points += p.size();
    }
    void fillRects(std::span<const DeviceRect>, Color) override {}
    void dots(const DotMask&, Color) override {}
    void glyphRun(const GlyphRun&) override {}
};

TEST(SceneBlockTest, TheBudgetCountsVerticesArcStepsAndCopiesMadeDots) {
    std::string zigzag = pair(0, "LWPOLYLINE") + pair(8, "0") + pair(90, "5000");
    for (int k = 0; k < 5000; ++k)
        zigzag += pair(10, std::to_string(k * 0.0008)) + pair(20, std::to_string(k % 2 * 2));
    std::string rings, fiftyInserts, thousandInserts;
    for (int k = 0; k < 10; ++k)
        rings += entity("CIRCLE", {{10, "0"}, {20, "0"}, {40, std::to_string(10 + k)}});
    for (int k = 0; k < 50; ++k)
        fiftyInserts += insert("A", -20, -20);
    for (int k = 0; k < 1000; ++k)
        thousandInserts += insert("C", 0, 0, {{42, "1.5"}});
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        // 625 copies on screen, each 8 by 4 pixels and 5000 vertices.
        {"vertices",
         drawingBytes("", block("P", 0, 0, zigzag),
                      insert("P", -50, -25, {{70, "25"}, {71, "25"}, {44, "4"}, {45, "2"}}))},
        // Squashed circles, stepped as segments: about forty steps each.
        {"arc steps", drawingBytes("", block("C", 0, 0, rings), thousandInserts)},
        // Each copy of A a 400 by 400 array of copies of T too small for anything but a dot.
        {"dots",
         drawingBytes(
             "",
             block("T", 0, 0, line(0, 0, 0.01, 0)) +
                 block("A", 0, 0,
                       insert("T", 0, 0, {{70, "400"}, {71, "400"}, {44, "0.1"}, {45, "0.1"}})),
             fiftyInserts)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto drawing = drawingFrom(c.bytes);
        Scene scene;
        TextCache cache;
        WorkPainter painter;
        const PaintStats stats = scene.draw(*drawing, smallView(), cache, painter);
        // The budget, and at most one record's worth past it.
        EXPECT_LE(painter.points + stats.dots, Scene::kBlockBudget + 5000);
        EXPECT_GT(painter.points + stats.dots, Scene::kBlockBudget / 2);
        EXPECT_GT(stats.copiesBoxed, 0u);
    }
}

TEST(SceneTest, FarPointsReachThePainterClippedToTheDevice) {
    // Corners 1e20 pixels off, with edges across the view.
    const std::string farCorners = entity("SOLID", {{10, "-8.6744750755e13"},
                                                    {20, "-4927405.72"},
                                                    {11, "535367.52"},
                                                    {21, "176458.43"},
                                                    {12, "28816.507"},
                                                    {22, "-3.0356431765e11"}});
    const std::string acrossTheView =
        line(-1e9, -1e9, 1e9, 1e9) + entity("CIRCLE", {{10, "0"}, {20, "0"}, {40, "1e9"}}) +
        entity("SOLID",
               {{10, "-1e9"}, {20, "-1e9"}, {11, "1e9"}, {21, "-1e9"}, {12, "0"}, {22, "1e9"}});
    ViewTransform near = smallView(), nearest = smallView(), pixel;
    near.scale = 1e6;      // as far in as zooming goes, past a drawing a thousand units wide
    nearest.scale = 1e300; // points a billion units off lie past the largest double
    pixel.scale = 1e24;    // a line's ends 5e24 pixels off a one-pixel view
    pixel.centerX = 10;
    pixel.centerY = 4.7;
    const struct {
        const char* what;
        std::string entities;
        ViewTransform view;
    } cases[] = {{"far corners", farCorners, near},
                 {"past the largest double", acrossTheView, nearest},
                 {"far ends", line(10, 0, 10, 10), pixel}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Drawn d = drawDrawing(*drawingOf(c.entities), c.view);
        std::vector<DevicePoint> drawn;
        for (const auto& line : d.painter.polylines)
            drawn.insert(drawn.end(), line.begin(), line.end());
        for (const auto& f : d.painter.fills)
            drawn.insert(drawn.end(), f.points.begin(), f.points.end());
        const DeviceSize size = c.view.size;
        for (DevicePoint p : drawn)
            EXPECT_TRUE(p.x >= -2 && p.x <= size.width + 2 && p.y >= -2 && p.y <= size.height + 2)
                << p.x << ", " << p.y;
    }
}

TEST(SceneTest, AViewNoPixelCanBeWorkedOutInShowsNothing) {
    const auto drawing = drawingOf(line(-10, -10, 10, 10) + text(0, 0, 5, "x") +
                                   entity("POINT", {{10, "1"}, {20, "1"}}));
    constexpr double inf = std::numeric_limits<double>::infinity();
    std::vector<ViewTransform> views;
    for (const double wild : {inf, -inf, std::nan(""), 0.0, -2.0}) {
        ViewTransform v = smallView();
        v.scale = wild;
        views.push_back(v);
        v = smallView();
        v.size.width = wild;
        views.push_back(v);
        if (!std::isfinite(wild)) {
            v = smallView();
            v.centerY = wild;
            views.push_back(v);
        }
    }
    for (const ViewTransform& view : views) {
        const Drawn d = drawDrawing(*drawing, view);
        EXPECT_TRUE(d.painter.polylines.empty() && d.painter.runs.empty());
        EXPECT_EQ(d.painter.dotCalls, 0);
    }
}

TEST(SceneFillTest, SolidsAreFilledAndPatternHatchesLightly) {
    const Drawn d = draw(entity("SOLID", {{62, "1"},
                                          {10, "0"},
                                          {20, "0"},
                                          {11, "10"},
                                          {21, "0"},
                                          {12, "0"},
                                          {22, "10"},
                                          {13, "10"},
                                          {23, "10"}}));
    ASSERT_EQ(d.painter.fills.size(), 1u);
    const auto& fill = d.painter.fills[0];
    EXPECT_EQ(fill.color, (Color{255, 0, 0}));
    ASSERT_EQ(fill.rings.size(), 1u);
    ASSERT_EQ(fill.rings[0], 4u);
    // The square from (0, 0) to (10, 10): the third and fourth corners of a SOLID cross over.
    double area = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const DevicePoint& p = fill.points[k];
        const DevicePoint& q = fill.points[(k + 1) % 4];
        area += p.x * q.y - q.x * p.y;
    }
    EXPECT_NEAR(std::abs(area) / 2, 400, 1e-6);
    // Far larger than the view: what is handed over stays near the screen.
    const Drawn big = draw(entity("SOLID", {{10, "-1e6"},
                                            {20, "-1e6"},
                                            {11, "1e6"},
                                            {21, "-1e6"},
                                            {12, "-1e6"},
                                            {22, "1e6"},
                                            {13, "1e6"},
                                            {23, "1e6"}}));
    ASSERT_EQ(big.painter.fills.size(), 1u);
    for (const DevicePoint& p : big.painter.fills[0].points) {
        EXPECT_GE(p.x, -2);
        EXPECT_LE(p.y, 102);
    }
}

TEST(SceneTextTest, MirroredAndSlantedTextsTurnTheirGlyphs) {
    struct Case {
        const char* what;
        std::string entities;
        double rotation, xScale, oblique, offsetX;
    };
    // "ABCD" is two ems: at height 11 and two pixels a unit, 2 * 11 / 0.88 * 2 pixels wide.
    const double wide = 2 * 11 / Scene::kCapPerEm * 2;
    const std::string blocks =
        block("T", 0, 0, text(0, 0, 11, "ABCD", {{72, "2"}, {11, "0"}, {21, "0"}}));
    const Case cases[] = {
        {"as written", text(0, 0, 11, "ABCD"), 0, 1, 0, 0},
        {"backwards", text(0, 0, 11, "ABCD", {{71, "2"}}), 0, -1, 0, 0},
        {"upside down", text(0, 0, 11, "ABCD", {{71, "4"}}), 180, -1, 0, 0},
        {"both", text(0, 0, 11, "ABCD", {{71, "6"}}), 180, 1, 0, 0},
        {"slanted 15 degrees", text(0, 0, 11, "ABCD", {{51, "15"}}), 0, 1, 15, 0},
        {"slanted and backwards", text(0, 0, 11, "ABCD", {{51, "15"}, {71, "2"}}), 0, -1, -15, 0},
        // Right-justified in a block mirrored by the insert: it runs the other way from its
        // anchor, its glyphs mirrored.
        {"in a mirrored insert", insert("T", 0, 0, {{41, "-1"}}), 360, -1, 0, wide},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Drawn d = drawDrawing(*drawingFrom(drawingBytes("", blocks, c.entities)));
        ASSERT_EQ(d.painter.runs.size(), 1u);
        const GlyphRun& run = d.painter.runs[0].run;
        EXPECT_NEAR(std::fmod(run.rotationDegrees + 360, 360), std::fmod(c.rotation, 360), 1e-9);
        EXPECT_NEAR(run.xScale, c.xScale, 1e-9);
        EXPECT_NEAR(run.obliqueDegrees, c.oblique, 1e-6);
        EXPECT_NEAR(d.painter.runs[0].offsets[0].x, c.offsetX, 1e-9);
        EXPECT_NEAR(run.origin.x, 100, 1e-9);
    }
}

TEST(SceneTextTest, MTextWrapsAtItsWidthByThePaintersMeasure) {
    // Height 3: an em is 3 / 0.88 units; width 30 holds 8.8 ems, each character half an em.
    const Drawn d = draw(
        entity("MTEXT", {{10, "0"},
                         {20, "0"},
                         {40, "3"},
                         {41, "30"},
                         {44, "2"},
                         {71, "5"},
                         {1, "aaa bbb ccc ddd eee\\P配管配管配管配管配管配管配管配管配管配管"}}));
    ASSERT_EQ(d.painter.runs.size(), 1u);
    const RecordedRun& r = d.painter.runs[0];
    ASSERT_EQ(r.texts,
              (std::vector<std::u16string>{u"aaa bbb ccc ddd", u"eee",
                                           u"配管配管配管配管配管配管配管配管配", u"管配管"}));
    const double em = 3 / Scene::kCapPerEm * 2;            // pixels
    EXPECT_NEAR(r.offsets[0].x, -15 * 0.5 * em / 2, 1e-9); // centred, line by line
    EXPECT_NEAR(r.offsets[1].x, -3 * 0.5 * em / 2, 1e-9);
    EXPECT_NEAR(r.offsets[1].y - r.offsets[0].y, 5.0 / 3.0 * 3 * 2 * 2, 1e-9); // spacing 2
    // Middle: the block of lines is centred on the anchor.
    EXPECT_NEAR(r.offsets[0].y + r.offsets[3].y, 3 * 2, 1e-9);
}

TEST(SceneTextTest, MTextColumnsStandSideBySideAndFlowByTheirHeights) {
    // The sample's columns are 20 units wide, 1 apart; its texts 1 unit tall, 5/3 apart.
    const auto drawing = quillet::drawing::readDrawing(
        (std::filesystem::path(QUILLET_SAMPLES_DIR) / "mtext_columns_r2007.dxf").string());
    ViewTransform view;
    view.scale = 6; // texts 6 pixels tall: readable
    view.size = {400, 400};
    view.centerX = 30;
    view.centerY = -20;
    const Drawn d = drawDrawing(*drawing, view);
    ASSERT_EQ(d.painter.runs.size(), 3u);
    struct Case {
        std::size_t run;
        std::vector<int> columns, rows; // of each line
    };
    const Case cases[] = {
        // Column breaks: each MTEXT's column in its own.
        {0, {0, 0, 0, 1, 1, 2, 2, 2, 2}, {0, 1, 2, 0, 1, 0, 1, 2, 3}},
        // Heights 5 and 8, the last column takes the rest: 3, 5 and 1 lines.
        {1, {0, 0, 0, 1, 1, 1, 1, 1, 2}, {0, 1, 2, 0, 1, 2, 3, 4, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.run);
        const RecordedRun& r = d.painter.runs[c.run];
        ASSERT_EQ(r.offsets.size(), c.columns.size());
        for (std::size_t j = 0; j < c.columns.size(); ++j) {
            EXPECT_NEAR(r.offsets[j].x, c.columns[j] * 21 * 6, 1e-9) << j;
            EXPECT_NEAR(r.offsets[j].y - r.offsets[0].y, c.rows[j] * 5.0 / 3.0 * 6, 1e-9) << j;
        }
    }
    EXPECT_EQ(d.painter.runs[1].texts.back(), u"flow 9");
}

TEST(ViewStateTest, ALongLineOfSmallTextShowsAsItsBoxAtTheFitView) {
    // 36,000 characters one unit tall: fitted into 800 pixels, far below a pixel high.
    ViewState state;
    state.resize({800, 600});
    state.setDrawing(
        quillet::drawing::readDrawing(
            (std::filesystem::path(QUILLET_SAMPLES_DIR) / "long_small_text.dxf").string()),
        [](std::u16string_view t) { return 0.5 * static_cast<double>(t.size()); });
    RecordingPainter painter;
    state.draw(painter);
    ASSERT_EQ(painter.rects.size(), 1u);
    const DeviceRect& r = painter.rects[0];
    EXPECT_GE(r.height(), 1);
    EXPECT_GT(r.width(), 700);
    EXPECT_TRUE(painter.runs.empty());
}

TEST(SceneTest, EndlessLinesCrossTheWholeView) {
    // Their base far off the view: still drawn, clipped to the screen.
    const Drawn d = draw(entity("XLINE", {{10, "1000"}, {20, "1000"}, {11, "1"}, {21, "1"}}) +
                         entity("RAY", {{10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}}));
    ASSERT_EQ(d.painter.polylines.size(), 2u);
    EXPECT_TRUE(hasSegment(d.painter, {48, 102}, {152, -2}));
    EXPECT_TRUE(hasSegment(d.painter, {100, 50}, {202, 50}));
}

// A fitted view follows its window's size; a zoom or a pan stops that, and Fit or a new
// drawing takes it up again.
TEST(ViewStateTest, AFittedViewFollowsItsSizeUntilZoomedOrPanned) {
    ViewState state;
    state.resize({200, 100});
    state.setDrawing(drawingOf(line(0, 0, 100, 50)), {});
    const double fitted = state.transform().scale;
    const auto middleOnScreen = [&] { return state.transform().toScreen(50, 25); };
    EXPECT_DOUBLE_EQ(middleOnScreen().x, 100);
    EXPECT_DOUBLE_EQ(middleOnScreen().y, 50);

    state.resize({400, 200});
    EXPECT_DOUBLE_EQ(state.transform().scale, 2 * fitted);
    EXPECT_DOUBLE_EQ(middleOnScreen().x, 200);

    state.zoomAt({200, 100}, 2);
    state.resize({300, 150});
    EXPECT_DOUBLE_EQ(state.transform().scale, 4 * fitted);
    const double before = middleOnScreen().x;
    state.pan(10, 0);
    EXPECT_DOUBLE_EQ(middleOnScreen().x, before + 10);

    state.fitAll();
    EXPECT_DOUBLE_EQ(state.transform().scale, 1.5 * fitted);
    state.zoomAt({0, 0}, 3);
    state.setDrawing(drawingOf(line(0, 0, 100, 50)), {});
    EXPECT_DOUBLE_EQ(state.transform().scale, 1.5 * fitted);
    state.resize({200, 100});
    EXPECT_DOUBLE_EQ(state.transform().scale, fitted);

    state.setDrawing(nullptr, {});
    EXPECT_FALSE(state.drawing());
    RecordingPainter painter;
    state.draw(painter);
    EXPECT_TRUE(painter.polylines.empty());
}

} // namespace
