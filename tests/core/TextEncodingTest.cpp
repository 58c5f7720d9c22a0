// Input encodings and the code page 932 form of a declared drawing's texts.
#include "TestSupport.h"

#include "platform/CodePages.h"
#include "platform/TextEncoding.h"
#include "platform/Utf16Source.h"

namespace quillet::testing {
namespace {

namespace text = platform::text;

std::string cp932(std::string_view utf8, text::Cp932Encoder& encoder) {
    std::string out;
    encoder.append(utf8, out);
    return out;
}

struct EncodeCase {
    const char* utf8;
    const char* cp932;
};

// The characters where code page 932 and Shift_JIS part ways come out as Windows writes
// them; what the code page lacks is escaped, and what no escape reaches is 〓.
TEST(Cp932EncoderTest, WritesAsWindowsDoesAndEscapesTheRest) {
    const EncodeCase cases[] = {
        {"abc, 1", "abc, 1"},
        {"配管", "\x94\x7A\x8A\xC7"},
        {"ソケット", "\x83\x5C\x83\x50\x83\x62\x83\x67"},
        {"ﾃｽﾄ", "\xC3\xBD\xC4"},
        {"～", "\x81\x60"},
        {"〜", "\x81\x60"}, // the wave dash other systems write
        {"−", "\x81\x7C"},
        {"‖", "\x81\x61"},
        {"¬", "\x81\xCA"},
        {"①", "\x87\x40"},
        {"髙", "\xFB\xFC"},
        {"é", "\\U+00E9"},
        {"Ωé한", "\x83\xB6\\U+00E9\\U+D55C"},
        {"\xC2\xA0", "\\U+00A0"},
        {"a😀b", "a\x81\xAC"
                "b"},
    };
    for (const EncodeCase& c : cases) {
        text::Cp932Encoder encoder;
        EXPECT_EQ(cp932(c.utf8, encoder), c.cp932) << c.utf8;
    }
}

TEST(Cp932EncoderTest, CountsEscapedAndReplacedCharacters) {
    text::Cp932Encoder encoder;
    cp932("é한東京😀", encoder);
    cp932("é𠮷", encoder);
    EXPECT_EQ(encoder.escaped(), 3);
    EXPECT_EQ(encoder.replaced(), 2);
}

struct ValidityCase {
    const char* bytes;
    bool utf8;
    bool cp932;
};

TEST(EncodingValidityTest, Utf8AndCp932) {
    const ValidityCase cases[] = {
        {"", true, true},
        {"plain, ascii", true, true},
        {"東京", true, true},              // as code page 932 bytes, UTF-8 often still pairs up
        {"\x93\x8C\x8B\x9E", false, true}, // 東京 in code page 932
        {"\x82", false, false},            // a lead byte at the end
        {"\x82\x0D", false, false},        // no trail byte after the lead
        {"\xC0\xAF", false, true},         // overlong UTF-8
        {"\xED\xA0\x80", false, true},     // a surrogate in UTF-8
        {"\xF4\x90\x80\x80", false, true}, // beyond U+10FFFF
        {"\xF0\x9F\x98\x80", true, true},  // 😀
        {"\xE3\x81", false, true},         // cut short
    };
    for (const ValidityCase& c : cases) {
        EXPECT_EQ(text::isValidUtf8(c.bytes), c.utf8) << ::testing::PrintToString(c.bytes);
        EXPECT_EQ(text::isValidCp932(c.bytes), c.cp932) << ::testing::PrintToString(c.bytes);
    }
    EXPECT_EQ(text::countUtf8Chars("a東😀"), 3u);
    EXPECT_EQ(text::countUtf8Chars("abcdefghijk東"), 12u); // past the eight-byte steps
    EXPECT_EQ(text::countCp932Chars("abcdefghijk\x93\x8C\xB1"), 13u);
}

TEST(EncodingValidityTest, ByteOrderMarks) {
    EXPECT_EQ(text::markOf("\xEF\xBB\xBFx"), text::ByteOrderMark::Utf8);
    EXPECT_EQ(text::markOf("\xFF\xFE"), text::ByteOrderMark::Utf16Le);
    EXPECT_EQ(text::markOf("\xFE\xFF\x00"), text::ByteOrderMark::Utf16Be);
    EXPECT_EQ(text::markOf("\xEF\xBB"), text::ByteOrderMark::None);
}

TEST(UnicodeEscapeTest, DecodesExactlyFourHexDigits) {
    const std::pair<const char*, const char*> cases[] = {
        {"\\U+00E9", "é"},
        {"a\\U+D55Cb\\u+03a9", "a한bΩ"},
        {"\\U+00E", "\\U+00E"},   // too short
        {"\\U+00E9F", "éF"},      // a fifth digit is text
        {"\\U+D800", "\\U+D800"}, // a surrogate is no character
        {"\\U+XYZW \\", "\\U+XYZW \\"},
    };
    for (const auto& [escaped, plain] : cases)
        EXPECT_EQ(text::decodeUnicodeEscapes(escaped), plain) << escaped;
    std::string out;
    text::appendUnicodeEscape(0xD55C, out);
    EXPECT_EQ(out, "\\U+D55C");
}

TEST(CodePagesTest, DecodesToUtf8MarkingWhatHasNoCharacter) {
    using platform::codepage::CodePage;
    using platform::codepage::toUtf8;
    EXPECT_EQ(toUtf8("\x94\x7A\x8A\xC7 \x81\x60", CodePage::Cp932), "配管 ～");
    EXPECT_EQ(toUtf8("a\x82", CodePage::Cp932), "a\xEF\xBF\xBD");
    EXPECT_EQ(toUtf8("caf\xE9 \x80", CodePage::Cp1252), "café €");
    EXPECT_EQ(toUtf8("\x81", CodePage::Cp1252), "\xEF\xBF\xBD");
    EXPECT_EQ(platform::codepage::toUtf8Exactly("\x83\x65\x83\x58\x83\x67", CodePage::Cp932),
              "テスト");
    EXPECT_EQ(platform::codepage::toUtf8Exactly("a\x82", CodePage::Cp932), std::nullopt);
}

// Hands its bytes on one at a time, so that every unit and pair crosses a read.
class TrickleSource final : public platform::ByteSource {
  public:
    explicit TrickleSource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::size_t read(char* into, std::size_t max) override {
        if (at_ == bytes_.size() || max == 0)
            return 0;
        *into = bytes_[at_++];
        return 1;
    }

  private:
    std::string bytes_;
    std::size_t at_ = 0;
};

std::string readAll(platform::ByteSource& source) {
    std::string out;
    char buffer[3];
    for (std::size_t n; (n = source.read(buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    return out;
}

TEST(Utf16SourceTest, PairsAcrossReadsAndMarksWhatIsNoCharacter) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("\xFF\xFE"
                     "a\0\x3D\xD8\x00\xDE\x71\x67",
                     10),
         "a😀東"},
        {std::string("\xFF\xFE\x00\xD8"
                     "b\0",
                     6),
         "\xFF"
         "b"}, // a high surrogate without its partner
        {std::string("\xFE\xFF\x00"
                     "a\x00",
                     5),
         "a\xFF"}, // an odd byte at the end
        {"\xFE\xFF", ""},
    };
    for (const auto& [bytes, utf8] : cases) {
        TrickleSource trickle(bytes);
        platform::Utf16Source source(trickle, bytes[0] == '\xFE');
        EXPECT_EQ(readAll(source), utf8) << ::testing::PrintToString(bytes);
    }
}

} // namespace
} // namespace quillet::testing
