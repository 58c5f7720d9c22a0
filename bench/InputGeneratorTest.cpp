// The benchmark trusts its generator's forecast to tell a wrong conversion from a fast one, so
// the forecast is checked here against the conversion library itself.
#include "InputGenerator.h"
#include "MemoryRun.h"
#include "Statistics.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace quillet::bench {
namespace {

std::string generate(const InputShape& shape, InputFacts& facts) {
    std::string bytes;
    facts = generateInput(shape, [&](std::string_view piece) { bytes += piece; });
    return bytes;
}

TEST(InputGenerator, ForecastsTheConvertersCountAndDrawingSize) {
    struct Case {
        std::int64_t lines, columnLines;
        std::int32_t height;
    };
    // Pieces of a megabyte split lines; long columns grow Y to many digits; negative and zero
    // heights change the numbers' forms.
    for (Case c : {Case{1, 20, 100}, Case{60'000, 20, 1}, Case{3'000, 1'500, 100}, Case{500, 7, -3},
                   Case{500, 20, 0}, Case{40, 1, 1}}) {
        SCOPED_TRACE(::testing::Message()
                     << c.lines << " lines, column " << c.columnLines << ", height " << c.height);
        InputFacts facts;
        const std::string input = generate({c.lines, c.columnLines, c.height, 7}, facts);
        const quillet::testing::MemoryRun result =
            quillet::testing::convertText(input, static_cast<std::int16_t>(c.height));
        ASSERT_FALSE(result.error) << result.error->what();
        EXPECT_EQ(facts.inputBytes, static_cast<std::int64_t>(input.size()));
        EXPECT_EQ(facts.lines, c.lines);
        EXPECT_EQ(facts.emptyLines, c.lines / c.columnLines);
        EXPECT_EQ(result.placed, facts.fields);
        EXPECT_EQ(static_cast<std::int64_t>(result.bytes.size()), facts.outputBytes);
    }
}

// The declared drawing's forecast, from a code page 932 and from a UTF-8 input.
TEST(InputGenerator, ForecastsTheDeclaredDrawing) {
    for (bool utf8 : {false, true}) {
        SCOPED_TRACE(utf8 ? "UTF-8" : "code page 932");
        InputShape shape{3'000, 20, 1, 7};
        shape.utf8 = utf8;
        shape.declared = true;
        InputFacts facts;
        const std::string input = generate(shape, facts);
        const quillet::testing::MemoryRun result = quillet::testing::convertText(
            input, 1, 64 * 1024,
            {quillet::conversion::DrawingKind::Declared, quillet::conversion::InputEncoding::Auto});
        ASSERT_FALSE(result.error) << result.error->what();
        EXPECT_EQ(result.placed, facts.fields);
        EXPECT_EQ(static_cast<std::int64_t>(result.bytes.size()), facts.outputBytes);
        EXPECT_EQ(result.escaped + result.replaced, 0);
    }
}

TEST(InputGenerator, GivesTheSameBytesForTheSameSeedOnly) {
    InputFacts facts;
    const std::string first = generate({2'000, 20, 1, 42}, facts);
    EXPECT_EQ(generate({2'000, 20, 1, 42}, facts), first);
    EXPECT_NE(generate({2'000, 20, 1, 43}, facts), first);
    EXPECT_NE(first.find("\x95\x5c"), std::string::npos) << "no double-byte text generated";
}

TEST(InputGenerator, RefusesInputsTheConverterCannotPlace) {
    InputFacts facts;
    // At height 100 column 33 has X 33000; at height 0 only the column counter limits.
    EXPECT_THROW(generate({40 * 20, 20, 100, 1}, facts), std::invalid_argument);
    EXPECT_NO_THROW(generate({33 * 20, 20, 100, 1}, facts));
    EXPECT_THROW(generate({32'768, 1, 0, 1}, facts), std::invalid_argument);
    EXPECT_EQ(maxEmptyLines(100), 32);
    EXPECT_EQ(maxEmptyLines(-1), 3276);
    EXPECT_EQ(maxEmptyLines(0), 32767);
}

TEST(PaddedLength, CountsSignDigitsAndBlank) {
    EXPECT_EQ(paddedLength(0), 3u);
    EXPECT_EQ(paddedLength(100), 5u);
    EXPECT_EQ(paddedLength(-200), 5u);
    EXPECT_EQ(paddedLength(INT32_MIN), 12u);
}

TEST(Median, TakesTheMiddleOrTheMeanOfTheMiddleTwo) {
    EXPECT_EQ(median({}), 0);
    EXPECT_EQ(median({3, 1, 2}), 2);
    EXPECT_EQ(median({4, 1, 3, 2}), 2.5);
}

} // namespace
} // namespace quillet::bench
