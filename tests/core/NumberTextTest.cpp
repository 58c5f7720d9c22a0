// Reading the height box: text to number by the locale's separators, then down to 16 bits.
#include "TestSupport.h"

#include "platform/NumberText.h"

#include <cmath>
#include <limits>
#include <optional>
#include <variant>

namespace quillet::testing {
namespace {

using platform::NumberSeparators;

constexpr int kOverflow = 6;
constexpr int kTypeMismatch = 13;

const NumberSeparators kDot{".", ","};
const NumberSeparators kComma{",", "."};                  // decimal comma, group point
const NumberSeparators kCommaNbsp{",", "\xC2\xA0"};       // group U+00A0
const NumberSeparators kCommaNarrow{",", "\xE2\x80\xAF"}; // group U+202F

struct HeightCase {
    std::string text;
    NumberSeparators separators;
    std::variant<int, std::string> expected; // the height, or "E<number>" for an error
};

int errorOf(const std::string& expected) {
    return std::stoi(expected.substr(1));
}

const HeightCase kHeightCases[] = {
    // Rounding down, toward minus infinity.
    {"100", kDot, 100},
    {"100.5", kDot, 100},
    {"100.9", kDot, 100},
    {"101.5", kDot, 101},
    {"-0.5", kDot, -1},
    {"-0", kDot, 0},
    {"0", kDot, 0},
    {"32767.9", kDot, 32767},
    {"-32768", kDot, -32768},
    {"-32767.5", kDot, -32768},
    {"-32768.5", kDot, "E6"},
    {"32768", kDot, "E6"},
    {"1e5", kDot, "E6"},
    {"1e400", kDot, "E6"},
    // Forms of a number.
    {"+100", kDot, 100},
    {".5", kDot, 0},
    {"-.5", kDot, -1},
    {"7.", kDot, 7},
    {"1e2", kDot, 100},
    {"1E+2", kDot, 100},
    {"2.5e1", kDot, 25},
    {"15e-1", kDot, 1},
    {"1e-400", kDot, 0},   // too small to hold, but above zero
    {"-1e-400", kDot, -1}, // below zero, however little
    {"0001", kDot, 1},
    {" 100 ", kDot, 100},
    {"\t100\t", kDot, 100},
    {"1,000", kDot, 1000},
    {"1,00", kDot, 100},
    {"32,767.5", kDot, 32767},
    // Japanese input methods type full-width forms.
    {"１００", kDot, 100},
    {"－０．５", kDot, -1},
    {"＋１２", kDot, 12},
    {"１，０００", kDot, 1000},
    {"\u3000"
     "100\u3000",
     kDot, 100},
    {"１ｅ２", kDot, 100},
    // Other locales' separators.
    {"100,5", kComma, 100},
    {"-0,5", kComma, -1},
    {"1.234,5", kComma, 1234},
    {"100.5", kComma, 1005}, // the point groups digits there
    {"1\xC2\xA0"
     "234,9",
     kCommaNbsp, 1234},
    {"1\xE2\x80\xAF"
     "234",
     kCommaNarrow, 1234},
    {"1 234", kCommaNbsp, "E13"},
    // Not numbers.
    {"", kDot, "E13"},
    {"   ", kDot, "E13"},
    {"abc", kDot, "E13"},
    {"100a", kDot, "E13"},
    {"1 00", kDot, "E13"},
    {"--1", kDot, "E13"},
    {"+-1", kDot, "E13"},
    {"-", kDot, "E13"},
    {".", kDot, "E13"},
    {",100", kDot, "E13"},
    {"1e", kDot, "E13"},
    {"1e+", kDot, "E13"},
    {"e5", kDot, "E13"},
    {"1.5.5", kDot, "E13"},
    {"0x10", kDot, "E13"},
    {"inf", kDot, "E13"},
    {"nan", kDot, "E13"},
    {"100,5", kDot, 1005},
    {"１００ａ", kDot, "E13"},
    {"\n100", kDot, 100},
    {"100\r\n", kDot, 100}, // a height saved with CR LF line ends
    {"1\r00", kDot, "E13"},
};

TEST(HeightTextTest, Table) {
    for (const HeightCase& c : kHeightCases) {
        SCOPED_TRACE("height text \"" + c.text + "\", decimal \"" +
                     std::string(c.separators.decimal) + "\"");
        auto convert = [&] {
            return platform::floorTo16(platform::textToNumber(c.text, c.separators));
        };
        if (const int* height = std::get_if<int>(&c.expected))
            EXPECT_EQ(convert(), *height);
        else
            EXPECT_RUN_ERROR(convert(), errorOf(std::get<std::string>(c.expected)));
    }
}

TEST(TextToNumberTest, KeepsTheFraction) {
    EXPECT_DOUBLE_EQ(platform::textToNumber("100.25", kDot), 100.25);
    EXPECT_DOUBLE_EQ(platform::textToNumber("-1.234,5e2", kComma), -123450.0);
    EXPECT_DOUBLE_EQ(platform::textToNumber("1e300", kDot), 1e300);
}

TEST(FloorTo16Test, EdgeValues) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    EXPECT_EQ(platform::floorTo16(tiny), 0);
    EXPECT_EQ(platform::floorTo16(-tiny), -1);
    EXPECT_EQ(platform::floorTo16(-0.0), 0);
    EXPECT_EQ(platform::floorTo16(32767.999999), 32767);
    EXPECT_EQ(platform::floorTo16(-32768.0), -32768);
    EXPECT_RUN_ERROR(platform::floorTo16(-32768.000001), kOverflow);
    EXPECT_RUN_ERROR(platform::floorTo16(std::nan("")), kOverflow);
    EXPECT_RUN_ERROR(platform::floorTo16(std::numeric_limits<double>::infinity()), kOverflow);
    EXPECT_RUN_ERROR(platform::floorTo16(-std::numeric_limits<double>::infinity()), kOverflow);
}

} // namespace
} // namespace quillet::testing
