// Where the 16-bit and 32-bit counters and coordinates run out.
#include "MemoryRun.h"
#include "TestSupport.h"

#include "conversion/DxfWriter.h"
#include "conversion/Scanner.h"
#include "platform/BlockSink.h"

#include <cstdint>
#include <optional>

namespace quillet::testing {
namespace {

constexpr int kOverflow = 6;

std::string repeat(std::string_view piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

// "x" in each of the columns 0 .. last, one empty line between them.
std::string columns(int last) {
    std::string input = "x";
    for (int column = 1; column <= last; ++column)
        input += "\r\n\r\nx";
    return input;
}

std::string entitiesOfColumns(int last, int height) {
    std::string entities;
    for (int column = 0; column <= last; ++column)
        entities += textEntity(column * height * 10, 0, height, "x");
    return entities;
}

std::string opening() {
    return "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
}

TEST(ColumnOverflowTest, Columns0To32FitAtHeight100) {
    MemoryRun run = convertText(columns(32), 100);
    ASSERT_FALSE(run.error) << run.error->what();
    EXPECT_EQ(run.bytes, dxfOf(entitiesOfColumns(32, 100)));
    EXPECT_EQ(run.placed, 33);
}

TEST(ColumnOverflowTest, FirstItemOfColumn33IsCutAfterX) {
    MemoryRun run = convertText(columns(33) + "\r\nnever", 100);
    ASSERT_TRUE(run.error);
    EXPECT_EQ(run.error->code(), kOverflow);
    EXPECT_EQ(run.error->line(), 67); // column k stands on line 2k + 1
    EXPECT_EQ(run.bytes, opening() + entitiesOfColumns(32, 100) + entityCutAfterX());
}

TEST(ColumnOverflowTest, ItemsOfLineBeforeOverflowAreWritten) {
    // Column 1 at height 20000: blockNo x height already leaves 16 bits.
    MemoryRun run = convertText("a\r\n\r\nb,c", 20000);
    ASSERT_TRUE(run.error);
    EXPECT_EQ(run.error->code(), kOverflow);
    EXPECT_EQ(run.error->line(), 3);
    EXPECT_EQ(run.bytes, opening() + textEntity(0, 0, 20000, "a") + entityCutAfterX());
}

struct PlaceXCase {
    std::int16_t blockNo;
    std::int16_t height;
    std::optional<int> x; // none: Overflow
};

TEST(PlacementTest, XIsBlockTimesHeightTimesTenIn16Bits) {
    const PlaceXCase cases[] = {
        {0, 32767, 0},      {0, -32768, 0},     {32, 100, 32000},   {33, 100, {}},
        {1, 3276, 32760},   {1, 3277, {}},      {1, -3276, -32760}, {1, -3277, {}},
        {2, 20000, {}},     {32767, 0, 0},      {32767, 1, {}},     {3, -1092, -32760},
        {-1, 3276, -32760}, {-1, -3276, 32760}, {16, 204, 32640},   {16, 205, {}},
    };
    for (const auto& c : cases) {
        conversion::ConversionState state;
        state.blockNo = c.blockNo;
        state.textHeight = c.height;
        if (c.x)
            EXPECT_EQ(conversion::placeX(state), *c.x) << c.blockNo << " x " << c.height;
        else
            EXPECT_RUN_ERROR(conversion::placeX(state), kOverflow);
    }
}

struct PlaceYCase {
    std::int16_t height;
    std::int32_t itemNo;
    std::optional<std::int32_t> y; // none: Overflow
};

TEST(PlacementTest, YIsMinusHeightTimesItemTimesTwoIn32Bits) {
    const PlaceYCase cases[] = {
        {100, 0, 0},
        {100, 1, -200},
        {-100, 1, 200},
        {0, INT32_MAX, 0},
        {32767, 32768, -2147418112},
        {32767, 32769, -2147483646},
        {32767, 32770, {}},
        {-32768, 32767, 2147418112},
        {-32768, 32768, {}}, // the negation fits, the doubling does not
        {-32768, 65536, {}}, // the negation itself leaves 32 bits
        {1, 1073741824, INT32_MIN},
        {1, 1073741825, {}},
        {-1, 1073741823, 2147483646},
        {-1, 1073741824, {}},
    };
    for (const auto& c : cases) {
        conversion::ConversionState state;
        state.textHeight = c.height;
        state.itemNo = c.itemNo;
        if (c.y)
            EXPECT_EQ(conversion::placeY(state), *c.y) << c.height << " x " << c.itemNo;
        else
            EXPECT_RUN_ERROR(conversion::placeY(state), kOverflow);
    }
}

TEST(YOverflowTest, RunIsCutAfterY) {
    // 32771 items in one column at height 32767: the last one's Y leaves 32 bits.
    const std::string line = repeat("a,", 9999) + "a"; // 10000 items
    MemoryRun run = convertText(repeat(line + "\r\n", 4), 32767);
    ASSERT_TRUE(run.error);
    EXPECT_EQ(run.error->code(), kOverflow);
    EXPECT_EQ(run.error->line(), 4);
    const std::string tail = textEntity(0, -2147483646, 32767, "a") + entityCutAfterY(0);
    ASSERT_GE(run.bytes.size(), tail.size());
    EXPECT_EQ(run.bytes.substr(run.bytes.size() - tail.size()), tail);
    std::size_t entities = 0;
    for (auto at = run.bytes.find("TEXT\r\n"); at != std::string::npos;
         at = run.bytes.find("TEXT\r\n", at + 1))
        ++entities;
    EXPECT_EQ(entities, 32771u);
}

TEST(ItemCountOverflowTest, ItemPastTheLastCountIsWrittenThenOverflows) {
    platform::MemorySink sink;
    conversion::DxfWriter writer(sink);
    conversion::ConversionState state;
    state.textHeight = 0;
    state.itemNo = INT32_MAX;
    state.curLine = "a";
    EXPECT_RUN_ERROR(conversion::ScanLine(state, writer), kOverflow);
    writer.flush();
    EXPECT_EQ(sink.bytes(), textEntity(0, 0, 0, "a"));
}

struct LineLengthCase {
    std::string name;
    std::string line;
    bool fits;
    bool isOneItem = true; // false: the line holds only commas
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const LineLengthCase& c, std::ostream* os) {
    *os << c.name;
}

class LineLengthTest : public ::testing::TestWithParam<LineLengthCase> {};

TEST_P(LineLengthTest, LongestLineIs32767Characters) {
    const LineLengthCase& c = GetParam();
    // A line before it shows that the run stops at the long line, having written nothing of it.
    MemoryRun run = convertText("x\r\n" + c.line + "\r\ny", 100);
    if (c.fits) {
        ASSERT_FALSE(run.error) << run.error->what();
        const int yOfLast = c.isOneItem ? -400 : -200;
        EXPECT_EQ(run.bytes, dxfOf(textEntity(0, 0, 100, "x") +
                                   (c.isOneItem ? textEntity(0, -200, 100, c.line) : "") +
                                   textEntity(0, yOfLast, 100, "y")));
    } else {
        ASSERT_TRUE(run.error);
        EXPECT_EQ(run.error->code(), kOverflow);
        EXPECT_EQ(run.error->line(), 2);
        EXPECT_EQ(run.bytes, opening() + textEntity(0, 0, 100, "x"));
    }
}

const std::string kDoubleByte = "\x82\xA0"; // あ in code page 932

INSTANTIATE_TEST_SUITE_P(
    Lines, LineLengthTest,
    ::testing::Values(LineLengthCase{"SingleByte32767", std::string(32767, 'a'), true},
                      LineLengthCase{"SingleByte32768", std::string(32768, 'a'), false},
                      LineLengthCase{"DoubleByte32767", repeat(kDoubleByte, 32767), true},
                      LineLengthCase{"DoubleByte32768", repeat(kDoubleByte, 32768), false},
                      LineLengthCase{"Mixed32767", repeat(kDoubleByte, 32766) + "a", true},
                      LineLengthCase{"Mixed32768", repeat(kDoubleByte, 32766) + "ab", false},
                      LineLengthCase{"LoneLeadByteAtEnd", std::string(32766, 'a') + "\x82", true},
                      LineLengthCase{"OnlyCommas32767", std::string(32767, ','), true, false},
                      LineLengthCase{"OnlyCommas32768", std::string(32768, ','), false, false}),
    [](const auto& test) { return test.param.name; });

TEST(EmptyLineOverflowTest, At32767EmptyLinesTheRunStillEnds) {
    MemoryRun run = convertText(repeat("\r\n", 32767), 100);
    ASSERT_FALSE(run.error) << run.error->what();
    EXPECT_EQ(run.bytes, dxfOf(""));
    // Column 32767 still holds items when the height keeps X at 0.
    run = convertText(repeat("\r\n", 32767) + "a", 0);
    ASSERT_FALSE(run.error) << run.error->what();
    EXPECT_EQ(run.bytes, dxfOf(textEntity(0, 0, 0, "a")));
}

TEST(EmptyLineOverflowTest, The32768thEmptyLineOverflows) {
    MemoryRun run = convertText("a\r\n" + repeat("\r\n", 32768) + "b", 0);
    ASSERT_TRUE(run.error);
    EXPECT_EQ(run.error->code(), kOverflow);
    EXPECT_EQ(run.error->line(), 32769);
    EXPECT_EQ(run.bytes, opening() + textEntity(0, 0, 0, "a"));
}

} // namespace
} // namespace quillet::testing
