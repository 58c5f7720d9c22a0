// Spreadsheet quoting with --quotes, against RFC 4180's examples; and the count of lines that
// look quoted when quotes are read as characters, as they are by default.
#include "MemoryRun.h"
#include "TestSupport.h"

#include "conversion/Quoting.h"
#include "conversion/Run.h"

namespace quillet::testing {
namespace {

using Records = std::vector<std::vector<std::string>>;

// The classic drawing of records in one column, at height 100.
std::string drawingOf(const Records& records) {
    std::string entities;
    int item = 0;
    for (const auto& record : records)
        for (auto field = record.rbegin(); field != record.rend(); ++field)
            if (!field->empty())
                entities += textEntity(0, -200 * item++, 100, *field);
    return dxfOf(entities);
}

TEST(QuotingTest, ReadsTheExamplesOfRfc4180) {
    const struct {
        const char* name;
        std::string input;
        Records records;
    } cases[] = {
        {"records end at line breaks",
         "aaa,bbb,ccc\r\nzzz,yyy,xxx\r\n",
         {{"aaa", "bbb", "ccc"}, {"zzz", "yyy", "xxx"}}},
        {"the last record needs no line break",
         "aaa,bbb,ccc\r\nzzz,yyy,xxx",
         {{"aaa", "bbb", "ccc"}, {"zzz", "yyy", "xxx"}}},
        {"spaces are part of a field", "aaa, bbb ,ccc", {{"aaa", " bbb ", "ccc"}}},
        {"quoted fields",
         "\"aaa\",\"bbb\",\"ccc\"\r\nzzz,yyy,xxx",
         {{"aaa", "bbb", "ccc"}, {"zzz", "yyy", "xxx"}}},
        {"line breaks and commas inside quotes",
         "\"aaa\",\"b\r\nbb\",\"ccc\"\r\nzzz,yyy,xxx\r\n\"x,y\",\"1\n2\r3\"",
         {{"aaa", "b bb", "ccc"}, {"zzz", "yyy", "xxx"}, {"x,y", "1 2 3"}}},
        {"doubled quotes", "\"aaa\",\"b\"\"bb\",\"ccc\"", {{"aaa", "b\"bb", "ccc"}}},
        {"a spreadsheet's cell with a comma",
         "\"蒸気, 保温あり\",50A\r\n",
         {{"蒸気, 保温あり", "50A"}}},
        {"empty quoted fields place nothing", "\"\",a,\"\"", {{"", "a", ""}}},
        {"a quote inside an unquoted field stays", "a\"b,c", {{"a\"b", "c"}}},
    };
    conversion::DrawingOptions quotes;
    quotes.quotes = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MemoryRun run = convertText(c.input, 100, 64 * 1024, quotes);
        ASSERT_FALSE(run.error) << run.error->what();
        EXPECT_EQ(run.bytes, drawingOf(c.records));
    }
    // Without --quotes, quotes are characters as they always were.
    EXPECT_EQ(convertText("\"a,b\"", 100).bytes, drawingOf({{"\"a", "b\""}}));
}

TEST(QuotingTest, EmptyLinesStillStartColumnsAndAnOpenQuoteIsBounded) {
    conversion::DrawingOptions quotes;
    quotes.quotes = true;
    const MemoryRun run = convertText("a\r\n\r\n\"b\r\n\r\nc\"", 100, 64 * 1024, quotes);
    ASSERT_FALSE(run.error);
    EXPECT_EQ(run.bytes, dxfOf(textEntity(0, 0, 100, "a") + textEntity(1000, 0, 100, "b  c")));
    // A quote never closed reads no further than one line's length.
    const MemoryRun open = convertText("\"" + std::string(40000, '\n'), 100, 64 * 1024, quotes);
    ASSERT_TRUE(open.error);
    EXPECT_EQ(open.error->code(), 6);
    EXPECT_EQ(open.error->cause(), platform::OverflowCause::LineLength);
}

TEST(QuotingTest, LinesThatLookQuoted) {
    const std::pair<std::string_view, bool> cases[] = {
        {"\"a,b\",c", true},   {"a,\"b,c\"", true},       {"\"a\"\"b,c\"", true},
        {"\"a,b", true},       {"x,\"a\",\"b,c\"", true}, {"\"ab\",c", false},
        {"a\"b,c\"", false},   {"plain,text", false},     {"", false},
        {"\"\",\"x\"", false}, {"\"a\"\",b", true},       {"\"", false},
    };
    for (const auto& [line, quoted] : cases)
        EXPECT_EQ(conversion::looksQuoted(line), quoted) << line;
}

TEST(QuotingTest, ReportCountsLinesReadAsTheyStand) {
    TempDir dir;
    writeFile(dir / "in.csv", "\"蒸気, 保温あり\",50A\r\nplain\r\n\"a,b\"\r\n\"ab\",c\r\n");
    conversion::ConversionState state;
    const conversion::RunResult result =
        conversion::convertFile(dir / "in.csv", dir / "out.dxf", "100", {}, state);
    EXPECT_EQ(result.quotedLines, 2);
    EXPECT_NE(conversion::reportText(result).find(" 2 行をそのまま読みました"), std::string::npos);
    EXPECT_NE(conversion::reportText(result).find("--quotes"), std::string::npos);
    conversion::DrawingOptions quotes;
    quotes.quotes = true;
    const conversion::RunResult quoted =
        conversion::convertFile(dir / "in.csv", dir / "out.dxf", "100", {}, state, quotes);
    EXPECT_EQ(quoted.quotedLines, 0);
    EXPECT_EQ(quoted.placed, 6);
    EXPECT_EQ(conversion::reportText(quoted).find("--quotes"), std::string::npos);
}

} // namespace
} // namespace quillet::testing
