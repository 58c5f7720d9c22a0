// The engine against the model on every seed of the fuzzers, and on the inputs the fuzzers
// once found wrong, so that a disagreement shows up in every test run, not only when fuzzing.
#include "MemoryRun.h"
#include "Model.h"
#include "TestSupport.h"
#include "platform/NumberText.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace quillet::model {

namespace {

namespace fs = std::filesystem;

using conversion::DrawingKind;
using conversion::InputEncoding;

// Holds the engine to the model for the classic drawing and for the declared one read each
// way, so that every seed also tries every encoding rule.
void expectAgreement(std::string_view file, std::int16_t height) {
    const std::pair<InputEncoding, Encoding> encodings[] = {{InputEncoding::Auto, Encoding::Auto},
                                                            {InputEncoding::Cp932, Encoding::Cp932},
                                                            {InputEncoding::Utf8, Encoding::Utf8}};
    for (const auto& [engineEncoding, modelEncoding] : encodings) {
        SCOPED_TRACE("declared drawing, encoding " +
                     std::to_string(static_cast<int>(modelEncoding)));
        const testing::MemoryRun engine =
            testing::convertText(file, height, 64 * 1024, {DrawingKind::Declared, engineEncoding});
        const Conversion expected = convertDeclared(file, height, modelEncoding);
        EXPECT_EQ(engine.error ? engine.error->code() : 0, expected.error);
        EXPECT_TRUE(engine.bytes == expected.bytes) << "the drawings differ";
    }
    const testing::MemoryRun engine = testing::convertText(file, height);
    const Conversion expected = convert(file, height);
    const int engineError = engine.error ? engine.error->code() : 0;
    EXPECT_EQ(engineError, expected.error);
    EXPECT_TRUE(engine.bytes == expected.bytes) << "the drawings differ";
    if (engineError == 0) {
        EXPECT_EQ(engine.placed, expected.placed);
    }
}

std::vector<fs::path> seedsOf(const char* target) {
    std::vector<fs::path> seeds;
    for (const auto& entry : fs::directory_iterator(fs::path(QUILLET_CORPUS_DIR) / target))
        seeds.push_back(entry.path());
    std::sort(seeds.begin(), seeds.end());
    return seeds;
}

// The seeds hold the height text on their first line, the file after it.
TEST(EngineAgreesTest, OnEveryConversionSeed) {
    std::vector<fs::path> seeds = seedsOf("fuzz_convert");
    // Seeds too long to fuzz quickly are kept with the unit cases.
    for (const auto& entry : fs::directory_iterator(QUILLET_LONG_CASES_DIR))
        seeds.push_back(entry.path());
    for (const fs::path& seed : seeds) {
        SCOPED_TRACE(seed.filename().string());
        const std::string input = testing::readFile(seed.string());
        const std::size_t newline = input.find('\n');
        const Height height = readHeight(input.substr(0, newline), ".", ",");
        if (height.error == 0 && newline != std::string::npos)
            expectAgreement(std::string_view(input).substr(newline + 1), height.value);
    }
}

// The first byte of a seed chooses the separators, in the order the height fuzzer lists them.
TEST(EngineAgreesTest, OnEveryHeightSeed) {
    const platform::NumberSeparators locales[] = {{".", ","},      {",", "."},      {",", " "},
                                                  {",", "\u00A0"}, {",", "\u202F"}, {".", "'"}};
    for (const fs::path& seed : seedsOf("fuzz_height")) {
        SCOPED_TRACE(seed.filename().string());
        const std::string input = testing::readFile(seed.string());
        if (input.empty())
            continue;
        const platform::NumberSeparators s =
            locales[static_cast<unsigned char>(input[0]) % std::size(locales)];
        const std::string text = input.substr(1);
        const Height expected = readHeight(text, s.decimal, s.group);
        int error = 0;
        std::int16_t value = 0;
        try {
            value = platform::floorTo16(platform::textToNumber(text, s));
        } catch (const platform::RunError& runError) {
            error = runError.code();
        }
        EXPECT_EQ(error, expected.error);
        EXPECT_EQ(value, expected.value);
    }
}

// A file of no bytes at all, as an empty view holds them: nothing to read is not an error.
TEST(EngineAgreesTest, OnFileOfNoBytes) {
    expectAgreement(std::string_view{}, 100);
}

} // namespace

} // namespace quillet::model
