// How the input is cut into lines, whatever pieces the bytes arrive in.
#include "TestSupport.h"

#include "platform/Cp932.h"
#include "platform/InputFile.h"
#include "platform/LineReader.h"

#include <algorithm>
#include <vector>

namespace quillet::testing {
namespace {

using Lines = std::vector<std::string>;

// Hands out its bytes in pieces of the given sizes (the last size repeats).
class PieceSource final : public platform::ByteSource {
  public:
    PieceSource(std::string_view bytes, std::vector<std::size_t> pieces)
        : bytes_(bytes), pieces_(std::move(pieces)) {}
    std::size_t read(char* into, std::size_t max) override {
        std::size_t piece = pieces_[std::min(next_, pieces_.size() - 1)];
        ++next_;
        std::size_t n = std::min({max, piece, bytes_.size()});
        std::copy_n(bytes_.data(), n, into);
        bytes_.remove_prefix(n);
        return n;
    }

  private:
    std::string_view bytes_;
    std::vector<std::size_t> pieces_;
    std::size_t next_ = 0;
};

Lines readAll(platform::ByteSource& source, std::size_t maxLineBytes = 100) {
    platform::LineReader reader(source, maxLineBytes);
    Lines lines;
    std::string_view line;
    while (reader.readLine(line)) {
        lines.emplace_back(line);
        EXPECT_EQ(reader.lineNumber(), static_cast<std::int64_t>(lines.size()));
    }
    return lines;
}

struct EndingCase {
    std::string name;
    std::string bytes;
    Lines lines;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const EndingCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kBom = "\xEF\xBB\xBF";

const std::vector<EndingCase> kEndingCases = {
    {"Empty", "", {}},
    {"NoEnding", "a", {"a"}},
    {"CrLf", "a\r\nb\r\n", {"a", "b"}},
    {"CrAlone", "a\rb\r", {"a", "b"}},
    {"LfAlone", "a\nb\n", {"a", "b"}},
    {"Mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
    {"CrLfThenCrLfIsOneEmptyLine", "a\r\n\r\n", {"a", ""}},
    {"CrCr", "a\r\rb", {"a", "", "b"}},
    {"LfCrIsTwoEndings", "a\n\rb", {"a", "", "b"}},
    {"CrLfLf", "a\r\n\nb", {"a", "", "b"}},
    {"LfLf", "a\n\n", {"a", ""}},
    {"OnlyCrLf", "\r\n", {""}},
    {"OnlyLf", "\n", {""}},
    {"OnlyCr", "\r", {""}},
    {"EmptyLinesFirst", "\r\n\n\rx", {"", "", "", "x"}},
    {"BomSkipped", kBom + "a\r\nb", {"a", "b"}},
    {"BomOnly", kBom, {}},
    {"BomThenEnding", kBom + "\r\n", {""}},
    {"BomOnlyAtStart", "a\r\n" + kBom + "b", {"a", kBom + "b"}},
    {"SecondBomKept", kBom + kBom + "a", {kBom + "a"}},
    {"PartialBomKept", "\xEF\xBB", {"\xEF\xBB"}},
    {"NulKept", std::string("a\0b\r\n\0", 6), {std::string("a\0b", 3), std::string(1, '\0')}},
    {"Cp932SecondByteNotAnEnding", "\x95\x5C\r\n\x82\xA0", {"\x95\x5C", "\x82\xA0"}},
};

class LineEndingTest : public ::testing::TestWithParam<EndingCase> {};

TEST_P(LineEndingTest, WholeSource) {
    platform::MemorySource source(GetParam().bytes);
    EXPECT_EQ(readAll(source), GetParam().lines);
}

// Every place the bytes can be split: a CR may be the last byte of one read and its LF the
// first of the next. (A read of 0 bytes means the end, so every read gives at least one.)
TEST_P(LineEndingTest, EverySplit) {
    const std::string& bytes = GetParam().bytes;
    for (std::size_t split = 1; split < bytes.size(); ++split) {
        PieceSource source(bytes, {split, bytes.size()});
        EXPECT_EQ(readAll(source), GetParam().lines) << "split at " << split;
    }
    PieceSource byteByByte(bytes, {1});
    EXPECT_EQ(readAll(byteByByte), GetParam().lines) << "one byte per read";
}

INSTANTIATE_TEST_SUITE_P(Endings, LineEndingTest, ::testing::ValuesIn(kEndingCases),
                         [](const auto& test) { return test.param.name; });

TEST(LineReaderTest, LongestLineIsMaxLineBytes) {
    for (std::size_t piece : {1u, 3u, 1000u}) {
        PieceSource fits("abcd\r\nab", {piece});
        EXPECT_EQ(readAll(fits, 4), (Lines{"abcd", "ab"})) << piece;

        PieceSource tooLong("ab\r\nabcde\r\nx", {piece});
        platform::LineReader reader(tooLong, 4);
        std::string_view line;
        ASSERT_TRUE(reader.readLine(line));
        try {
            reader.readLine(line);
            ADD_FAILURE() << "a line of 5 bytes was accepted";
        } catch (const platform::RunError& error) {
            EXPECT_EQ(error.code(), 6);
            EXPECT_EQ(error.line(), 2);
        }
    }
}

TEST(LineReaderTest, LongLineWithoutEndingAtEnd) {
    const std::string line(platform::cp932::kMaxLineBytes, 'a');
    platform::MemorySource source(line);
    EXPECT_EQ(readAll(source, platform::cp932::kMaxLineBytes), Lines{line});
    const std::string longer = line + "a";
    platform::MemorySource longerSource(longer);
    platform::LineReader reader(longerSource, platform::cp932::kMaxLineBytes);
    std::string_view got;
    EXPECT_RUN_ERROR(reader.readLine(got), 6);
}

// A real file is read in large blocks; with CR LF pairs at every offset modulo three, one of
// the three files has a CR as the last byte of a block whatever the block size.
TEST(LineReaderTest, CrLfAcrossFileBlocks) {
    TempDir dir;
    constexpr std::size_t kLines = 400000; // 1.2 MB: several blocks
    std::string body;
    body.reserve(3 * kLines);
    for (std::size_t i = 0; i < kLines; ++i)
        body += "a\r\n";
    for (std::string prefix : {"", "b", "bb"}) {
        const std::string path = dir / ("in" + std::to_string(prefix.size()));
        writeFile(path, prefix + body);
        platform::InputFile file(path);
        platform::LineReader reader(file, platform::cp932::kMaxLineBytes);
        std::string_view line;
        std::size_t count = 0;
        std::size_t wrong = 0;
        while (reader.readLine(line)) {
            if (line != (count == 0 ? prefix + "a" : "a"))
                ++wrong;
            ++count;
        }
        EXPECT_EQ(count, kLines) << "prefix " << prefix.size();
        EXPECT_EQ(wrong, 0u) << "prefix " << prefix.size();
    }
}

} // namespace
} // namespace quillet::testing
