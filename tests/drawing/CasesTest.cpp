// The drawings of the shared corpus's cases/ folder, one per fault a reader can have: each
// read and checked against what the folder's README says it must show.
#include "drawing/Reader.h"
#include "drawing/TextListing.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace quillet::drawing;

std::filesystem::path casesDir() {
    return std::filesystem::path(QUILLET_CORPUS_DIR) / "cases";
}

struct Shown {
    double x, y, height, rotation;
    std::string text; // decoded
};

struct Case {
    const char* file;
    std::vector<Shown> texts;
    std::function<void(const Drawing&)> more;
};

TEST(CasesTest, EachCaseShowsWhatItMust) {
    if (!std::filesystem::is_directory(casesDir()))
        GTEST_SKIP() << "the corpus is not there: " << casesDir() << " (../shared/dxf-corpus)";
    const Case cases[] = {
        {"mtext_embedded_object.dxf", {{100, 200, 2.5, 0, "NOTE 注記"}}, nullptr},
        {"percent_codes.dxf",
         {{0, 0, 2.5, 0, "Ø50 H7"},
          {0, 5, 2.5, 0, "45°"},
          {0, 10, 2.5, 0, "±0.05"},
          {0, 15, 2.5, 0, "UNDERLINED"},
          {0, 20, 2.5, 0, "100%"}},
         nullptr},
        {"caret_codes.dxf", {{0, 0, 2.5, 0, "A\tB"}, {0, 10, 2.5, 0, "line1\nline2"}}, nullptr},
        // The column break stays one in the decoded text (kColumnBreak); the listing writes it
        // as a line break.
        {"mtext_column_break.dxf", {{0, 10, 2.5, 0, "col1\vcol2"}}, nullptr},
        {"mif_cp932.dxf",
         {{0, 0, 2.5, 0, "日油"}, {0, 10, 2.5, 0, "Ø50 ° ±0.5 %"}, {0, 20, 2.5, 0, "back\\slash"}},
         nullptr},
        {"codepage_ANSI_936.dxf", {{0, 0, 2.5, 0, "中文文字"}}, nullptr},
        {"codepage_ANSI_949.dxf", {{0, 0, 2.5, 0, "한국어"}}, nullptr},
        {"codepage_ANSI_950.dxf", {{0, 0, 2.5, 0, "繁體中文"}}, nullptr},
        {"codepage_ANSI_1250.dxf", {{0, 0, 2.5, 0, "Łódź"}}, nullptr},
        {"codepage_ANSI_1251.dxf", {{0, 0, 2.5, 0, "Привет мир"}}, nullptr},
        {"codepage_ANSI_1253.dxf", {{0, 0, 2.5, 0, "Ελληνικά"}}, nullptr},
        {"ocs_extrusion.dxf",
         {{-50, 0, 2.5, 0, "mirrored"}},
         [](const Drawing& d) {
             ASSERT_EQ(d.entities.arcs.size(), 1u);
             EXPECT_EQ(d.entities.arcs[0].center.x, -50);
             // Mirrored: 0..90 becomes 90..180, and the text reads backwards.
             EXPECT_EQ(d.entities.arcs[0].startDegrees, 90);
             EXPECT_EQ(d.entities.arcs[0].endDegrees, 180);
             EXPECT_EQ(d.entities.textExtra(0).mirror, 2);
         }},
        {"lwpolyline_bulge_circle.dxf",
         {},
         [](const Drawing& d) {
             ASSERT_EQ(d.entities.polylines.size(), 1u);
             const PolylineRecord& p = d.entities.polylines[0];
             EXPECT_TRUE(p.closed);
             EXPECT_GT(p.count, 32u);
             for (std::uint32_t k = 0; k < p.count; ++k) {
                 const Point v = d.entities.vertices[p.first + k];
                 EXPECT_NEAR(std::hypot(v.x - 5, v.y), 5, 1e-9);
             }
         }},
        {"features_small.dxf",
         {{10, -5, 2, 0, "bulge slot"},
          {40, -5, 2, 0, "OCS arc should be at x=-50"},
          {75, -5, 2, 0, "INSERT here"},
          {80, 5, 2, 0, "in block"}},
         [](const Drawing& d) {
             ASSERT_EQ(d.entities.inserts.size(), 1u);
             EXPECT_NE(d.blockOf(d.entities.inserts[0]), nullptr);
             EXPECT_TRUE(d.entities.notDrawn.empty());
         }},
        {"text_mirror_flags.dxf",
         {{0, 0, 5, 0, "NORMAL"}, {0, 10, 5, 0, "BACKWARDS"}, {0, 20, 5, 0, "UPSIDEDOWN"}},
         [](const Drawing& d) {
             EXPECT_EQ(d.entities.textExtra(0).mirror, 0);
             EXPECT_EQ(d.entities.textExtra(1).mirror, 2);
             EXPECT_EQ(d.entities.textExtra(2).mirror, 4);
         }},
        {"long_utf8_mtext.dxf",
         {},
         [](const Drawing& d) {
             ASSERT_EQ(d.entities.texts.size(), 1u);
             EXPECT_EQ(d.entities.bytesOf(0).size(), 65539u);
             const std::string text = d.decodedText(0);
             EXPECT_EQ(text.size(), 65539u);
             EXPECT_TRUE(text.ends_with("日END")); // nothing cut
         }},
        {"no_eof.dxf",
         {{0, 0, 2.5, 0, "no eof"}},
         [](const Drawing& d) { EXPECT_TRUE(d.truncated); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto d = readDrawing((casesDir() / c.file).string());
        std::vector<Shown> got;
        forEachPlacedText(*d, [&](const PlacedText& p) {
            got.push_back(
                {p.x, p.y, p.height, p.rotationDegrees, d->decodedText(*p.owner, p.index)});
        });
        if (!c.texts.empty()) {
            ASSERT_EQ(got.size(), c.texts.size());
            for (std::size_t i = 0; i < got.size(); ++i) {
                EXPECT_NEAR(got[i].x, c.texts[i].x, 1e-9);
                EXPECT_NEAR(got[i].y, c.texts[i].y, 1e-9);
                EXPECT_NEAR(got[i].height, c.texts[i].height, 1e-6);
                EXPECT_NEAR(got[i].rotation, c.texts[i].rotation, 1e-6);
                EXPECT_EQ(got[i].text, c.texts[i].text);
            }
        }
        if (c.more)
            c.more(*d);
    }
}

} // namespace
