// The model is only a judge if it is right: it is held here to worked examples of the rules.
#include "Model.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quillet::model {

namespace {

using testing::dxfOf;
using testing::textEntity;

struct ConversionCase {
    const char* name;
    std::string file;
    std::int16_t height;
    std::string entities;
    std::int64_t placed;
};

void PrintTo(const ConversionCase& c, std::ostream* os) {
    *os << c.name;
}

std::string repeat(std::string_view part, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += part;
    return out;
}

const ConversionCase kConversions[] = {
    {"LineWritesLastFieldFirst", "a,b,c", 100,
     textEntity(0, 0, 100, "c") + textEntity(0, -200, 100, "b") + textEntity(0, -400, 100, "a"), 3},
    {"EmptyLineStartsNextColumn", "a,b\r\nc\r\n\r\nd", 100,
     textEntity(0, 0, 100, "b") + textEntity(0, -200, 100, "a") + textEntity(0, -400, 100, "c") +
         textEntity(1000, 0, 100, "d"),
     4},
    {"EmptyFieldLeavesNoGap", "a,,b", 100,
     textEntity(0, 0, 100, "b") + textEntity(0, -200, 100, "a"), 2},
    {"LeadingComma", ",a", 100, textEntity(0, 0, 100, "a"), 1},
    {"TrailingComma", "a,", 100, textEntity(0, 0, 100, "a"), 1},
    {"CommasOnly", ",\r\n,,,", 100, "", 0},
    {"BlanksAreKept", "   ", 100, textEntity(0, 0, 100, "   "), 1},
    {"FullWidthCommaIsText",
     "a\x81\x43"
     "b",
     100,
     textEntity(0, 0, 100,
                "a\x81\x43"
                "b"),
     1},
    {"QuotesDoNotProtect", "\"a,b\"", 100,
     textEntity(0, 0, 100, "b\"") + textEntity(0, -200, 100, "\"a"), 2},
    {"EmptyLinesBeforeFirstColumn", "\r\n\r\na", 100, textEntity(2000, 0, 100, "a"), 1},
    {"EveryEndingEndsOneLine", "a\rb\nc\r\n\r\nd", 100,
     textEntity(0, 0, 100, "a") + textEntity(0, -200, 100, "b") + textEntity(0, -400, 100, "c") +
         textEntity(1000, 0, 100, "d"),
     4},
    {"ByteOrderMarkSkipped",
     "\xEF\xBB\xBF"
     "a",
     100, textEntity(0, 0, 100, "a"), 1},
    {"ByteOrderMarkOnlyAtStart",
     "a\r\n\xEF\xBB\xBF"
     "b",
     100,
     textEntity(0, 0, 100, "a") + textEntity(0, -200, 100,
                                             "\xEF\xBB\xBF"
                                             "b"),
     2},
    {"EmptyFile", "", 100, "", 0},
    {"LastEndingAddsNoLine", "a\r\n", 100, textEntity(0, 0, 100, "a"), 1},
    {"NegativeHeightMirrors", "a,b\r\n\r\nc", -5,
     textEntity(0, 0, -5, "b") + textEntity(0, 10, -5, "a") + textEntity(-50, 0, -5, "c"), 3},
    {"DoubleByteTextUnchanged", "\x8A\xBF\x8E\x9A,\x82\xA9", 10,
     textEntity(0, 0, 10, "\x82\xA9") + textEntity(0, -20, 10, "\x8A\xBF\x8E\x9A"), 2},
    {"CommaAfterLeadByteSeparates", "\x81,a", 100,
     textEntity(0, 0, 100, "a") + textEntity(0, -200, 100, "\x81"), 2},
    {"LongestLine", repeat("x", 32767), 1, textEntity(0, 0, 1, repeat("x", 32767)), 1},
    {"LongestDoubleByteLine", repeat("\x8A\xBF", 32767), 1,
     textEntity(0, 0, 1, repeat("\x8A\xBF", 32767)), 1},
};

class ModelConversionTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ModelConversionTest, WritesTheDrawing) {
    const ConversionCase& c = GetParam();
    Conversion result = convert(c.file, c.height);
    EXPECT_EQ(result.error, 0);
    EXPECT_EQ(result.bytes, dxfOf(c.entities));
    EXPECT_EQ(result.placed, c.placed);
}

INSTANTIATE_TEST_SUITE_P(Rules, ModelConversionTest, ::testing::ValuesIn(kConversions),
                         [](const auto& param) { return std::string(param.param.name); });

struct OverflowCase {
    const char* name;
    std::string file;
    std::int16_t height;
    std::string writtenAfterOpening; // what stands after the opening lines when it stops
};

void PrintTo(const OverflowCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kOpening = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
const std::string kUpToX = "  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n";

// Every row that fits, then the row whose Y leaves 32 bits, cut after its " 20" line.
std::string rowsUpToY(int fitting, std::int16_t height) {
    std::string out;
    for (int row = 0; row < fitting; ++row)
        out += textEntity(0, -2 * height * row, height, "a");
    return out + kUpToX + " 0 \r\n 20\r\n";
}

const OverflowCase kOverflows[] = {
    {"LineTooLong", "a\r\n" + repeat("x", 32768), 100, textEntity(0, 0, 100, "a")},
    {"DoubleByteLineTooLong", repeat("\x8A\xBF", 32768), 100, ""},
    {"ColumnBeyondX", repeat("\r\n", 33) + "a", 100, kUpToX},
    {"LastColumnThatFits", repeat("\r\n", 32) + "a\r\n\r\nb", 100,
     textEntity(32000, 0, 100, "a") + kUpToX},
    {"TooManyEmptyLines", repeat("\r\n", 32768), 0, ""},
    {"RowBeyondY", repeat("a\r\n", 32771), 32767, rowsUpToY(32770, 32767)},
};

class ModelOverflowTest : public ::testing::TestWithParam<OverflowCase> {};

TEST_P(ModelOverflowTest, StopsWithOverflow) {
    const OverflowCase& c = GetParam();
    Conversion result = convert(c.file, c.height);
    EXPECT_EQ(result.error, 6);
    EXPECT_EQ(result.bytes, kOpening + c.writtenAfterOpening);
}

INSTANTIATE_TEST_SUITE_P(Rules, ModelOverflowTest, ::testing::ValuesIn(kOverflows),
                         [](const auto& param) { return std::string(param.param.name); });

// The declared drawing, worked by hand: 配 is 0x947A, é has no code, 😀 is past four digits.
TEST(ModelDeclaredTest, WorkedExamples) {
    const Conversion utf8 = convertDeclared("配,é😀\r\n", 10);
    EXPECT_EQ(utf8.error, 0);
    EXPECT_EQ(utf8.bytes,
              testing::declaredDxfOf(testing::declaredTextEntity(0, 0, 10, "\\U+00E9\x81\xAC") +
                                         testing::declaredTextEntity(0, -20, 10, "\x94\x7A"),
                                     {0, -20, 90, 10}));
    EXPECT_EQ(
        convertDeclared("\x94\x7A\r\n", 10).bytes,
        testing::declaredDxfOf(testing::declaredTextEntity(0, 0, 10, "\x94\x7A"), {0, 0, 20, 10}));
    EXPECT_EQ(convertDeclared("配\r\n\x94\x7A\r\n", 10).error, 5);
    EXPECT_EQ(convertDeclared("\x94\x7A", 10, Encoding::Utf8).error, 5);
    EXPECT_EQ(convert("\xFF\xFE"
                      "a",
                      10)
                  .error,
              5);
}

TEST(ModelReportTest, CountsEveryText) {
    EXPECT_EQ(report(7), "処理した文字数 : 7\r\n処理終了\r\n");
}

struct HeightCase {
    const char* text;
    std::int16_t value;
    int error;
};

const HeightCase kHeights[] = {
    {"100", 100, 0},       {"100.5", 100, 0},
    {"100.9", 100, 0},     {"101.5", 101, 0},
    {"-0.5", -1, 0},       {"32767.9", 32767, 0},
    {"-32768", -32768, 0}, {"-32768.5", 0, 6},
    {"32768", 0, 6},       {"abc", 0, 13},
    {"", 0, 13},           {" \t ", 0, 13},
    {" 12 ", 12, 0},       {"+7", 7, 0},
    {"1,000", 1000, 0},    {"1,0,0", 100, 0},
    {",5", 0, 13},         {".5", 0, 0},
    {"5.", 5, 0},          {".", 0, 13},
    {"1e3", 1000, 0},      {"1E-1", 0, 0},
    {"1e", 0, 13},         {"e3", 0, 13},
    {"1e400", 0, 6},       {"-1e-400", -1, 0},
    {"1e-400", 0, 0},      {"+ 5", 0, 13},
    {"1.5.2", 0, 13},      {"0x10", 0, 13},
    {"inf", 0, 13},        {"nan", 0, 13},
    {"１２．５", 12, 0},   {"\u3000-3\u3000", -3, 0},
    {"－２", -2, 0},       {"1１", 11, 0},
};

TEST(ModelHeightTest, ReadsTheNumberGrammar) {
    for (const HeightCase& c : kHeights) {
        Height height = readHeight(c.text, ".", ",");
        EXPECT_EQ(height.error, c.error) << c.text;
        EXPECT_EQ(height.value, c.value) << c.text;
    }
}

TEST(ModelHeightTest, SeparatorsOfOtherLocales) {
    EXPECT_EQ(readHeight("1.234,9", ",", ".").value, 1234);
    EXPECT_EQ(readHeight("1 234,9", ",", " ").value, 1234);
    EXPECT_EQ(readHeight("1\u00A0234", ",", "\u00A0").value, 1234);
    EXPECT_EQ(readHeight("1.5", ",", ".").value, 15); // the point groups digits there
    EXPECT_EQ(readHeight("1'000.5", ".", "'").value, 1000);
}

} // namespace

} // namespace quillet::model
