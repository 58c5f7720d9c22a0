// Our own texts: the fast path recognises every text the converter's writer makes, in both
// drawings, and the texts it keeps are the ones the line-by-line way keeps from the same
// lines; lines that are nearly but not exactly our layout are left to the line-by-line way.
#include "drawing/OwnText.h"
#include "conversion/DxfWriter.h"
#include "drawing/LineLexer.h"
#include "drawing/PairParser.h"
#include "platform/BlockSink.h"
#include "platform/TextEncoding.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace quillet::drawing;
using quillet::conversion::DxfWriter;

struct Text {
    std::int32_t x, y, height;
    std::string bytes;
};

std::string cp932(std::string_view utf8) {
    std::string out;
    quillet::platform::text::Cp932Encoder().append(utf8, out);
    return out;
}

// The drawing the converter's writer makes of texts.
std::string written(quillet::conversion::DrawingKind drawing, const std::vector<Text>& texts) {
    quillet::platform::MemorySink sink;
    DxfWriter writer(sink, drawing);
    writer.PutDxfHeader();
    for (const Text& t : texts)
        writer.putTextEntity(t.x, t.y, t.height, t.bytes);
    writer.PutDxfTrailer();
    writer.finish();
    return sink.bytes();
}

// The entities parse() makes of bytes: our own texts by the fast path.
std::unique_ptr<Entities> byRuns(std::string_view bytes) {
    auto e = std::make_unique<Entities>();
    PairParser parser(*e);
    std::string run(bytes);
    run.append(kReadAhead, '\0');
    parser.parse(run.data(), run.data() + bytes.size());
    parser.finishFile();
    return e;
}

// The entities the same lines make fed a pair at a time: never the fast path.
std::unique_ptr<Entities> byPairs(std::string_view bytes) {
    auto e = std::make_unique<Entities>();
    PairParser parser(*e);
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
    }
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
        parser.feedPair(groupCode(lines[i]), lines[i + 1]);
    parser.finishFile();
    return e;
}

void expectSameTexts(const Entities& a, const Entities& b) {
    ASSERT_EQ(a.texts.size(), b.texts.size());
    for (std::size_t i = 0; i < a.texts.size(); ++i) {
        SCOPED_TRACE("text " + std::to_string(i));
        const TextRecord &s = a.texts[i], &t = b.texts[i];
        EXPECT_EQ(std::tie(s.x, s.y, s.height, s.angle, s.widthMilli, s.packed),
                  std::tie(t.x, t.y, t.height, t.angle, t.widthMilli, t.packed));
        EXPECT_EQ(a.textHighs[i], b.textHighs[i]);
        EXPECT_EQ(a.bytesOf(i), b.bytesOf(i));
        const TextExtra u = a.textExtra(i), v = b.textExtra(i);
        EXPECT_EQ(std::tie(u.length, u.look.colour.value, u.look.layer),
                  std::tie(v.length, v.look.colour.value, v.look.layer));
    }
    EXPECT_EQ(a.highUtf8, b.highUtf8);
    EXPECT_EQ(a.highOther, b.highOther);
    EXPECT_EQ(a.skipped, b.skipped);
    EXPECT_EQ(a.lines.size(), b.lines.size());
}

// Every number length and sign, and texts around the sizes the fast path treats apart: the
// sixteen bytes it looks at at once, and 64 KiB, from which on the line-by-line way keeps it.
std::vector<Text> variants() {
    const std::int32_t numbers[] = {0,         7,         -7,         42,        -100,
                                    1234567,   -1234567,  12345678,   -98765432, 123456789,
                                    INT32_MAX, INT32_MIN, 1000000000, -999999999};
    const std::string texts[] = {"",
                                 "a",
                                 "ab c",
                                 "配管",
                                 cp932("表ソケット"), // a trail byte that is a backslash
                                 "a\\U+65E5b",
                                 std::string(15, 'x'),
                                 std::string(16, 'y'),
                                 std::string(17, 'z'),
                                 "0123456789abcdé",
                                 std::string(100, 'w'),
                                 std::string(0xFFFF, 'v'),
                                 std::string(0x10000, 'u'),
                                 std::string(70000, 't')};
    std::vector<Text> out;
    int k = 0;
    for (const std::int32_t n : numbers)
        for (const std::string& t : texts) {
            // Runs of the same X and height, as in a column, and changes between them.
            const std::int32_t x = k % 3 ? n : -n - 1;
            out.push_back({x, n, k % 5 ? 100 : n, t});
            ++k;
        }
    return out;
}

TEST(OwnTextTest, FastPathReadsEveryTextTheWriterMakesAsTheLineByLineWay) {
    const std::vector<Text> texts = variants();
    for (const auto drawing :
         {quillet::conversion::DrawingKind::Classic, quillet::conversion::DrawingKind::Declared}) {
        const bool declared = drawing == quillet::conversion::DrawingKind::Declared;
        SCOPED_TRACE(declared ? "declared" : "classic");
        std::vector<Text> all = texts;
        all.push_back({0, 0, 1, "last"}); // the fast path needs room after a text
        const std::string bytes = written(drawing, all);
        // The fast path takes each text but the last, whole.
        OwnTextReader reader;
        std::size_t at = bytes.find(quillet::layout::kTextStart);
        const char* end = bytes.data() + bytes.size();
        for (const Text& t : texts) {
            SCOPED_TRACE(std::to_string(t.x) + " " + std::to_string(t.y) + " " +
                         std::to_string(t.height) + " " + std::to_string(t.bytes.size()));
            const char* p = bytes.data() + at;
            ASSERT_TRUE(mayStartOwnText(p, end));
            OwnText read;
            if (t.bytes.size() > 0xFFFF) {
                EXPECT_FALSE(reader.read(p, end, read));
            } else {
                ASSERT_TRUE(reader.read(p, end, read));
                EXPECT_EQ(read.x, t.x);
                EXPECT_EQ(read.y, t.y);
                EXPECT_EQ(read.height, t.height);
                EXPECT_EQ(read.bytes, t.bytes);
                std::size_t highs = 0;
                for (const char c : t.bytes)
                    highs += static_cast<unsigned char>(c) >= 0x80;
                EXPECT_EQ(read.highs, highs);
                EXPECT_EQ(read.escape, t.bytes.find('\\') != std::string::npos);
                EXPECT_EQ(read.lines, declared ? 16 : 14);
                EXPECT_TRUE(read.complete);
            }
            at = bytes.find(quillet::layout::kTextStart, at + 1);
        }
        expectSameTexts(*byRuns(bytes), *byPairs(bytes));
    }
}

// Lines a little off our layout: the fast path takes none of them (or stops where they
// start), and what is read is what the line-by-line way reads.
TEST(OwnTextTest, NearlyOurLayoutReadsAsTheLineByLineWay) {
    // X long enough that Y's group code comes in the second word of X's kept lines.
    const std::string ours = "  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n 12345 \r\n 20\r\n-10 \r\n 30\r\n"
                             "0\r\n 40\r\n 2 \r\n  1\r\nab\r\n";
    const auto changed = [&ours](std::string_view from, std::string_view to) {
        std::string s = ours;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    struct Case {
        const char* name;
        std::string text;
        bool fast; // the fast path reads it (in part)
    };
    std::string lf = ours;
    std::erase(lf, '\r');
    const Case cases[] = {
        {"ours", ours, true},
        {"LF alone", lf, false},
        {"a fraction", changed(" 12345 \r\n", "5.5\r\n"), false},
        {"no blank after", changed(" 12345 \r\n", " 12345\r\n"), false},
        {"a plus sign", changed(" 12345 \r\n", "+12345 \r\n"), false},
        {"eleven digits", changed(" 12345 \r\n", " 12345678901 \r\n"), false},
        {"another layer", changed("  8\r\n0\r\n", "  8\r\nPIPES\r\n"), false},
        {"Z not 0", changed(" 30\r\n0\r\n", " 30\r\n1\r\n"), false},
        {"another code after X", changed(" 20\r\n", " 21\r\n"), false},
        {"another code after the height", changed("  1\r\n", "  3\r\n"), false},
        {"a CR in the text", changed("ab\r\n", "a\rb\r\n"), false},
        {"another style", ours + "  7\r\nSTANDARD\r\n", true},
        {"a colour after", ours + " 62\r\n1\r\n", true},
        {"turned", ours + " 50\r\n90\r\n", true},
        {"a second text", ours + "  1\r\ncd\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Between two of ours, with room after: the fast path may take all it can.
        const std::string entities = ours + c.text + ours + ours + ours;
        const std::string bytes =
            "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n" + entities + "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
        OwnTextReader reader;
        OwnText read;
        const char* p = bytes.data() + bytes.find(c.text, ours.size() + 20);
        EXPECT_EQ(reader.read(p, bytes.data() + bytes.size(), read), c.fast);
        const auto a = byRuns(bytes), b = byPairs(bytes);
        EXPECT_GE(a->texts.size(), 4u); // ours, and the case's when it has a text
        expectSameTexts(*a, *b);
    }
}

// The line lexer finds every line, wherever its end falls against the 64 bytes it looks at
// at once, and goes on from any line start it is moved to.
TEST(OwnTextTest, LexerFindsEveryLineAndGoesOnWhereItIsMoved) {
    std::string bytes;
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i) {
        lines.push_back(
            std::string(static_cast<std::size_t>(i * 7 % 70), static_cast<char>('a' + i % 26)));
        bytes += lines.back() + (i % 3 ? "\r\n" : "\n");
    }
    for (const std::size_t skip :
         {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{63}}) {
        SCOPED_TRACE(skip);
        std::string run = bytes + std::string(kReadAhead, '\n');
        LineLexer lexer(run.data(), run.data() + bytes.size());
        const char* p = run.data();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (skip && i % skip == 0) {
                // Moved past this line by someone else, as the fast path moves it.
                p += lines[i].size() + (i % 3 ? 2 : 1);
                lexer.skipTo(p);
                continue;
            }
            ASSERT_EQ(lexer.take(p), lines[i]) << i;
        }
        EXPECT_EQ(p, run.data() + bytes.size());
    }
    for (const auto& [line, code] : std::vector<std::pair<std::string, int>>{{"  0", 0},
                                                                             {" 10", 10},
                                                                             {"1071", 1071},
                                                                             {"-5", -5},
                                                                             {" 0 ", 0},
                                                                             {"+8", 8},
                                                                             {"1072", kMaxCode + 1},
                                                                             {"x1", kMaxCode + 1},
                                                                             {"", kMaxCode + 1}})
        EXPECT_EQ(groupCode(line), code) << line;
}

} // namespace
