// The small drawings of tests/drawing/samples (written by make_samples.py from the DXF
// reference), each read and checked against what the drawing itself states: the columns of
// an MTEXT and its text whole, codes without their ";", the points of a helix, the frames of
// images and underlays whose files are not there.
#include "drawing/PairParser.h"
#include "drawing/Reader.h"
#include "drawing/TextListing.h"

#include <gtest/gtest.h>

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

} // namespace
