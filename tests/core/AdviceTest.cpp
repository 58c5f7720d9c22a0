// The line that says what to do about a failed run: held to what a real run does.
#include "MemoryRun.h"
#include "TestSupport.h"

#include "conversion/Advice.h"
#include "conversion/Run.h"

namespace quillet::testing {
namespace {

using conversion::adviceFor;
using platform::OverflowCause;

// Empty lines enough for columns columns of one text each.
std::string columns(std::int64_t count) {
    std::string input;
    for (std::int64_t i = 0; i < count; ++i)
        input += "x\r\n\r\n";
    return input;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The largest column count is what a run really holds: one more column overflows, and the
// error names that column.
TEST(AdviceTest, LargestColumnCountIsWhatARunHolds) {
    const std::pair<std::int16_t, std::int64_t> cases[] = {
        {100, 33}, {1, 3277}, {-1, 3277}, {-100, 33}, {7, 469},
        {1000, 4}, {3276, 2}, {3277, 1},  {32767, 1}, {-32768, 1},
    };
    for (const auto& [height, largest] : cases) {
        SCOPED_TRACE(height);
        EXPECT_EQ(conversion::largestColumnCount(height), largest);
        EXPECT_FALSE(convertText(columns(largest), height).error);
        const MemoryRun over = convertText(columns(largest + 1), height);
        ASSERT_TRUE(over.error);
        EXPECT_EQ(over.error->cause(), OverflowCause::Column);
        EXPECT_EQ(over.error->figure(), largest + 1);
        const std::string advice = adviceFor(*over.error, {"in.csv", "out.dxf", height});
        EXPECT_TRUE(contains(advice, std::to_string(largest + 1) + " 列目")) << advice;
        EXPECT_TRUE(contains(advice, "高さ " + std::to_string(height) + " では " +
                                         std::to_string(largest) + " 列まで"))
            << advice;
    }
    EXPECT_EQ(conversion::largestColumnCount(0), -1);
}

TEST(AdviceTest, LargestRowCountAtHeight) {
    EXPECT_EQ(conversion::largestRowCount(32767), 32770);
    EXPECT_EQ(conversion::largestRowCount(-32768), 32768);
    EXPECT_EQ(conversion::largestRowCount(1), (std::int64_t{1} << 30) + 1);
    EXPECT_EQ(conversion::largestRowCount(0), -1);
    // A real run: 32770 texts fit in one column at 32767, one more overflows.
    std::string input;
    for (int i = 0; i < 32770; ++i)
        input += "x\n";
    EXPECT_FALSE(convertText(input, 32767).error);
    const MemoryRun over = convertText(input + "x", 32767);
    ASSERT_TRUE(over.error);
    EXPECT_EQ(over.error->cause(), OverflowCause::Row);
    EXPECT_TRUE(contains(adviceFor(*over.error, {"a", "b", 32767}), "1 列は 32770 文字まで"));
}

TEST(AdviceTest, EachCauseGetsItsLine) {
    const std::string tooLong = std::string(32768, 'x');
    const std::string utf8TooLong = "\xEF\xBB\xBF" + std::string(32768, 'y');
    const conversion::DrawingOptions declared{conversion::DrawingKind::Declared};
    struct Case {
        const char* name;
        MemoryRun run;
        std::string expected;
    } cases[] = {
        {"line of cp932 characters", convertText("a\r\n" + tooLong, 100),
         "この行は 32768 文字あります"},
        {"line of UTF-8 characters", convertText(utf8TooLong, 100, 64 * 1024, declared),
         "この行は 32768 文字あります"},
        {"line too long to hold", convertText(std::string(70000, 'z'), 100),
         "この行は 32767 文字を超えています"},
        {"empty lines", convertText(std::string(32768, '\n') + "x", 100),
         "空行が 32767 を超えました"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.run.error);
        const std::string advice = adviceFor(*c.run.error, {"in.csv", "out.dxf", 100});
        EXPECT_TRUE(contains(advice, c.expected)) << advice;
        // The line number stays in the report box as in the message box.
        const std::string report =
            conversion::failureReport(*c.run.error, {"in.csv", "out.dxf", 100});
        EXPECT_TRUE(contains(report, " (" + std::to_string(c.run.error->line()) + " 行目)\r\n" +
                                         advice + "\r\n"))
            << report;
    }
}

TEST(AdviceTest, EmptyNamesAndPlainErrors) {
    const platform::RunError bareFolder(platform::ErrorNumber::PathFileAccess, "/data/");
    const struct {
        std::string_view input;
        std::string_view output;
        platform::ErrorNumber number;
        std::string expected;
    } cases[] = {
        {"", "out.dxf", platform::ErrorNumber::PathFileAccess, "入力ファイル名が空です"},
        {"", "", platform::ErrorNumber::PathFileAccess, "入力ファイル名が空です"},
        {"in.csv", "", platform::ErrorNumber::PathFileAccess, "出力ファイル名が空です"},
        {"in.csv", "out.dxf", platform::ErrorNumber::FileNotFound, ""},
        {"in.csv", "out.dxf", platform::ErrorNumber::Overflow, ""}, // cause unknown
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const std::string advice =
            adviceFor(platform::RunError(c.number, "/data/"), {c.input, c.output, 100});
        if (c.expected.empty())
            EXPECT_EQ(advice, "");
        else
            EXPECT_TRUE(contains(advice, c.expected)) << advice;
    }
    // Without a line, the report box holds the headline and the advice.
    EXPECT_EQ(conversion::failureReport(bareFolder, {"", "x.dxf", 100}),
              bareFolder.headline() + "\r\n" + adviceFor(bareFolder, {"", "x.dxf", 100}) + "\r\n");
}

TEST(AdviceTest, HeightWithAFractionSaysWhichWasUsed) {
    const struct {
        std::string_view text;
        std::int16_t used;
        std::string expected;
    } cases[] = {
        {"100.5", 100, "文字の高さ 100.5 は小数を切り下げて 100 として使いました。"},
        {" -0.5 ", -1, "文字の高さ -0.5 は小数を切り下げて -1 として使いました。"},
        {"１００．９", 100, "文字の高さ １００．９ は小数を切り下げて 100 として使いました。"},
        {"100", 100, ""},
        {"100.0", 100, ""},
        {"1e2", 100, ""},
        {"abc", 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(conversion::heightNote(c.text, {}, c.used), c.expected) << c.text;
}

} // namespace
} // namespace quillet::testing
