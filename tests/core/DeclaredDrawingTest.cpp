// The drawing that declares code page 932: its bytes, how each input encoding reaches it, and
// the inputs it refuses.
#include "MemoryRun.h"
#include "TestSupport.h"

#include "conversion/Run.h"

namespace quillet::testing {
namespace {

using conversion::DrawingKind;
using conversion::DrawingOptions;
using conversion::InputEncoding;

constexpr DrawingOptions kDeclared{DrawingKind::Declared, InputEncoding::Auto};

// 配管 and 東京 in code page 932.
const std::string kHaikan = "\x94\x7A\x8A\xC7";
const std::string kTokyo = "\x93\x8C\x8B\x9E";

std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

TEST(DeclaredDrawingTest, HeaderStyleAndEveryTextInItsStyle) {
    const MemoryRun run = convertText("AB,CD\r\n", 100, 64 * 1024, kDeclared);
    ASSERT_FALSE(run.error) << run.error->what();
    EXPECT_EQ(run.bytes, declaredDxfOf(declaredTextEntity(0, 0, 100, "CD") +
                                           declaredTextEntity(0, -200, 100, "AB"),
                                       {0, -200, 200, 100}));
    // The same line in the classic drawing keeps its bytes exactly.
    EXPECT_EQ(convertText("AB,CD\r\n", 100).bytes,
              dxfOf(textEntity(0, 0, 100, "CD") + textEntity(0, -200, 100, "AB")));
}

struct EncodingCase {
    const char* name;
    std::string input;
    InputEncoding encoding;
    std::string texts; // the entities' texts, last field first, joined by "|"
    std::int64_t escaped = 0;
    std::int64_t replaced = 0;
};

std::string textsOf(const std::string& drawing) {
    std::string texts;
    for (std::size_t at = drawing.find("\r\n  1\r\n", drawing.find("ENTITIES"));
         at != std::string::npos; at = drawing.find("\r\n  1\r\n", at + 1)) {
        const std::size_t begin = at + 7;
        texts +=
            (texts.empty() ? "" : "|") + drawing.substr(begin, drawing.find("\r\n", begin) - begin);
    }
    return texts;
}

TEST(DeclaredDrawingTest, EveryInputEncodingEndsInCodePage932) {
    const std::string both = kTokyo + "|" + kHaikan;
    const EncodingCase cases[] = {
        {"code page 932 byte for byte", kHaikan + "," + kTokyo + "\r\n", InputEncoding::Auto, both},
        {"UTF-8", "配管,東京\r\n", InputEncoding::Auto, both},
        {"UTF-8 with a mark", "\xEF\xBB\xBF配管,東京\r\n", InputEncoding::Auto, both},
        {"UTF-16 LE", utf16(u"配管,東京\r\n", false), InputEncoding::Auto, both},
        {"UTF-16 BE", utf16(u"配管,東京\r\n", true), InputEncoding::Auto, both},
        {"ASCII lines before the first decides", "a\r\n配管\r\n", InputEncoding::Auto,
         "a|" + kHaikan},
        {"told code page 932", "\x82\xA0\r\n", InputEncoding::Cp932, "\x82\xA0"},
        {"escapes beyond code page 932", "é,Ω한\r\n", InputEncoding::Auto,
         "\x83\xB6\\U+D55C|\\U+00E9", 2, 0},
        {"beyond U+FFFF from UTF-16", utf16(u"a\U0001F600b", false), InputEncoding::Auto,
         "a\x81\xAC"
         "b",
         0, 1},
    };
    for (const EncodingCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MemoryRun run =
            convertText(c.input, 100, 64 * 1024, {DrawingKind::Declared, c.encoding});
        ASSERT_FALSE(run.error) << run.error->what();
        EXPECT_EQ(textsOf(run.bytes), c.texts);
        EXPECT_EQ(run.escaped, c.escaped);
        EXPECT_EQ(run.replaced, c.replaced);
    }
}

struct RefusedCase {
    const char* name;
    std::string input;
    DrawingOptions options;
    int number;
    std::int64_t line;
};

// A line that is no text in the file's encoding is refused, never decoded into something else.
TEST(DeclaredDrawingTest, InputNotValidInItsEncodingIsRefusedWithItsLine) {
    const std::string longUtf8 = [] {
        std::string line;
        for (int i = 0; i < 32768; ++i)
            line += "あ";
        return line;
    }();
    const RefusedCase cases[] = {
        {"a code page 932 line in a UTF-8 file", "配管\r\nok\r\n" + kTokyo + "\r\n", kDeclared, 5,
         3},
        {"a UTF-8 line in a code page 932 file", kHaikan + "\r\n\x82\r\n", kDeclared, 5, 2},
        {"told UTF-8", kHaikan + "\r\n", {DrawingKind::Declared, InputEncoding::Utf8}, 5, 1},
        {"a lone surrogate in UTF-16", utf16(u"a\r\nb\xD800\r\n", false), kDeclared, 5, 2},
        {"32768 characters of UTF-8", longUtf8 + "\r\n", kDeclared, 6, 1},
        {"UTF-16 for the classic drawing", utf16(u"a", false), {}, 5, 0},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MemoryRun run = convertText(c.input, 100, 64 * 1024, c.options);
        ASSERT_TRUE(run.error);
        EXPECT_EQ(run.error->code(), c.number) << run.error->what();
        EXPECT_EQ(run.error->line(), c.line) << run.error->what();
    }
    // One character fewer fits: characters are counted, not bytes.
    const MemoryRun fits = convertText(longUtf8.substr(3) + "\r\n", 100, 64 * 1024, kDeclared);
    EXPECT_FALSE(fits.error);
}

TEST(DeclaredDrawingTest, ReportCountsEscapedAndReplacedCharacters) {
    conversion::RunResult result;
    result.placed = 3;
    EXPECT_EQ(conversion::reportText(result), "処理した文字数 : 3\r\n処理終了\r\n");
    result.escaped = 2;
    result.replaced = 1;
    EXPECT_EQ(conversion::reportText(result),
              "処理した文字数 : 3\r\nコードページ 932 にない文字 : \\U+XXXX で 2 文字、〓 で 1 "
              "文字\r\n処理終了\r\n");
}

TEST(DeclaredDrawingTest, FailedRunLeavesTheFolderAsItWas) {
    TempDir dir;
    writeFile(dir / "in.csv", "配管\r\n" + kTokyo + "\r\n");
    writeFile(dir / "old.dxf", "the drawing before\r\n");
    conversion::ConversionState state;
    EXPECT_RUN_ERROR(
        conversion::convertFile(dir / "in.csv", dir / "old.dxf", "100", {}, state, kDeclared), 5);
    EXPECT_EQ(readFile(dir / "old.dxf"), "the drawing before\r\n");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.csv", "old.dxf"}));
}

} // namespace
} // namespace quillet::testing
