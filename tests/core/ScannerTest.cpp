// Golden drawings: what each input becomes, byte for byte.
#include "MemoryRun.h"
#include "TestSupport.h"

#include "conversion/DxfWriter.h"
#include "conversion/Scanner.h"
#include "platform/BlockSink.h"

#include <vector>

namespace quillet::testing {
namespace {

struct Item {
    int x;
    int y;
    std::string text;
};

struct GoldenCase {
    std::string name;
    std::string input;
    std::int16_t height;
    std::vector<Item> items; // in the order they are written
    std::int64_t placed;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const GoldenCase& c, std::ostream* os) {
    *os << c.name;
}

std::string drawingOf(const GoldenCase& c) {
    std::string entities;
    for (const Item& item : c.items)
        entities += textEntity(item.x, item.y, c.height, item.text);
    return dxfOf(entities);
}

const std::string kFullWidthComma = "\xEF\xBC\x8C";  // U+FF0C in UTF-8
const std::string kCp932FullWidthComma = "\x81\x43"; // the same character in code page 932
const std::string kCp932Nihon = "\x93\xFA\x96\x7B";  // 日本
const std::string kCp932Hyo = "\x95\x5C";            // 表: its second byte is a backslash

const std::vector<GoldenCase> kGoldenCases = {
    {"TwoFields", "AB,CD", 100, {{0, 0, "CD"}, {0, -200, "AB"}}, 2},
    {"ThreeFieldsBackward", "a,b,c", 100, {{0, 0, "c"}, {0, -200, "b"}, {0, -400, "a"}}, 3},
    // The count covers the whole run, not only the last column.
    {"ColumnsAndCount",
     "a,b\r\nc\r\n\r\nd",
     100,
     {{0, 0, "b"}, {0, -200, "a"}, {0, -400, "c"}, {1000, 0, "d"}},
     4},
    {"LastLineEmptyStillCounts", "a,b\r\n\r\n", 100, {{0, 0, "b"}, {0, -200, "a"}}, 2},
    {"EmptyFieldLeavesNoGap", "a,,b", 100, {{0, 0, "b"}, {0, -200, "a"}}, 2},
    {"LeadingComma", ",a", 100, {{0, 0, "a"}}, 1},
    {"TrailingComma", "a,", 100, {{0, 0, "a"}}, 1},
    {"TwoTrailingCommas", "a,,", 100, {{0, 0, "a"}}, 1},
    {"OneComma", ",", 100, {}, 0},
    {"ThreeCommas", ",,,", 100, {}, 0},
    {"CommaLineStartsNoColumn", ",\r\nx\r\n,,,\r\ny", 100, {{0, 0, "x"}, {0, -200, "y"}}, 2},
    {"ThreeBlanks", "   ", 100, {{0, 0, "   "}}, 1},
    {"BlanksKept", " a , b ", 100, {{0, 0, " b "}, {0, -200, " a "}}, 2},
    {"FullWidthCommaUtf8",
     "a" + kFullWidthComma + "b",
     100,
     {{0, 0, "a" + kFullWidthComma + "b"}},
     1},
    {"FullWidthCommaCp932",
     "a" + kCp932FullWidthComma + "b",
     100,
     {{0, 0, "a" + kCp932FullWidthComma + "b"}},
     1},
    {"QuotesDoNotProtect", "\"a,b\"", 100, {{0, 0, "b\""}, {0, -200, "\"a"}}, 2},
    {"TwoEmptyLinesLeaveEmptyColumn", "a\r\n\r\n\r\nb", 100, {{0, 0, "a"}, {2000, 0, "b"}}, 2},
    {"LeadingEmptyLinesMoveRight", "\r\n\r\na", 100, {{2000, 0, "a"}}, 1},
    {"ItemsGoOnAcrossLines", "a\r\nb\r\nc", 100, {{0, 0, "a"}, {0, -200, "b"}, {0, -400, "c"}}, 3},
    {"NegativeHeightMirrors",
     "a,b\r\n\r\nc",
     -100,
     {{0, 0, "b"}, {0, 200, "a"}, {-1000, 0, "c"}},
     3},
    {"HeightZeroAtOrigin", "a,b\r\n\r\nc", 0, {{0, 0, "b"}, {0, 0, "a"}, {0, 0, "c"}}, 3},
    {"OddHeight", "a,b\r\n\r\nc", 7, {{0, 0, "b"}, {0, -14, "a"}, {70, 0, "c"}}, 3},
    {"Cp932BytesUnchanged",
     kCp932Nihon + "," + kCp932Hyo + "," + kCp932Hyo + "a",
     100,
     {{0, 0, kCp932Hyo + "a"}, {0, -200, kCp932Hyo}, {0, -400, kCp932Nihon}},
     3},
    {"Utf8BytesUnchanged", "日本,語", 100, {{0, 0, "語"}, {0, -200, "日本"}}, 2},
    {"EmptyInput", "", 100, {}, 0},
    {"OnlyEmptyLinesAndCommas", "\r\n,\r\n\r\n,,", 100, {}, 0},
    {"OneEndingAddsNoLine", "a\r\n", 100, {{0, 0, "a"}}, 1},
    {"ItemLooksLikeDxf", "EOF,  0,0", 100, {{0, 0, "0"}, {0, -200, "  0"}, {0, -400, "EOF"}}, 3},
};

class GoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenTest, WritesExactDrawingAndCount) {
    const GoldenCase& c = GetParam();
    MemoryRun run = convertText(c.input, c.height);
    ASSERT_FALSE(run.error) << run.error->what();
    EXPECT_EQ(run.bytes, drawingOf(c));
    EXPECT_EQ(run.placed, c.placed);
}

// Blocks just big enough for one number line make the writer cross block ends everywhere.
TEST_P(GoldenTest, SameBytesInTinyBlocks) {
    const GoldenCase& c = GetParam();
    for (std::size_t block : {14u, 15u, 17u, 31u})
        EXPECT_EQ(convertText(c.input, c.height, block).bytes, drawingOf(c)) << block;
}

INSTANTIATE_TEST_SUITE_P(Inputs, GoldenTest, ::testing::ValuesIn(kGoldenCases),
                         [](const auto& test) { return test.param.name; });

TEST(GoldenTest, EmptyInputIsExactlyEightLines) {
    EXPECT_EQ(convertText("", 100).bytes, "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n"
                                          "  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
}

TEST(GoldenTest, NumberLinesArePaddedAndTextLinesBare) {
    EXPECT_EQ(convertText("x", 100).bytes, "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n"
                                           "  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n 0 \r\n 20\r\n 0 \r\n"
                                           " 30\r\n0\r\n 40\r\n 100 \r\n  1\r\nx\r\n"
                                           "  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
    EXPECT_EQ(convertText("a,b\r\n\r\nc", -200).bytes,
              dxfOf("  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n 0 \r\n 20\r\n 0 \r\n 30\r\n0\r\n 40\r\n"
                    "-200 \r\n  1\r\nb\r\n"
                    "  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n 0 \r\n 20\r\n 400 \r\n 30\r\n0\r\n 40\r\n"
                    "-200 \r\n  1\r\na\r\n"
                    "  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n-2000 \r\n 20\r\n 0 \r\n 30\r\n0\r\n"
                    " 40\r\n-200 \r\n  1\r\nc\r\n"));
}

TEST(ScanLineTest, LeavesBlockAloneAndCountsOnFromState) {
    platform::MemorySink sink;
    conversion::DxfWriter writer(sink);
    conversion::ConversionState state;
    state.textHeight = 10;
    state.blockNo = 3;
    state.itemNo = 5;
    state.curLine = "a,,b,";
    conversion::ScanLine(state, writer);
    writer.flush();
    EXPECT_EQ(sink.bytes(), textEntity(300, -100, 10, "b") + textEntity(300, -120, 10, "a"));
    EXPECT_EQ(state.itemNo, 7);
    EXPECT_EQ(state.blockNo, 3);
    EXPECT_EQ(state.textX, 300);
    EXPECT_EQ(state.textY, -120);
}

} // namespace
} // namespace quillet::testing
