// The reader's parts on their own: number forms, MTEXT codes, where a piece may start, and
// joining arrays made by separate pieces.
#include "drawing/BlockReader.h"
#include "drawing/ByteArena.h"
#include "drawing/ChunkedArray.h"
#include "drawing/Geometry.h"
#include "drawing/Numbers.h"
#include "drawing/TextDecoding.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace quillet::drawing;

TEST(PartsTest, RealForms) {
    struct Case {
        const char* line;
        std::optional<double> value;
    };
    const Case cases[] = {
        {" 100 ", 100},
        {"-200 ", -200},
        {"0", 0},
        {"1.25", 1.25},
        {"-.5", -0.5},
        {"5.", 5},
        {"+3", 3},
        {"1e3", 1000},
        {"-2.5E-1", -0.25},
        {"0.1", 0.1},
        {"123456789012345678", 123456789012345678.0},
        {"1e308", 1e308},
        {".", std::nullopt},
        {"-", std::nullopt},
        {"", std::nullopt},
        {"1e400", std::nullopt},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"1,5", std::nullopt},
        {"1 2", std::nullopt},
        {"0x1p3", std::nullopt},
        {"--1", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(parseReal(c.line), c.value);
        double quick = 0;
        if (quickReal(c.line, quick)) { // the fast path agrees wherever it answers
            EXPECT_EQ(std::optional<double>(quick), c.value);
        }
    }
    EXPECT_EQ(parseInteger(" 70 "), 70);
    EXPECT_EQ(parseInteger("-5"), -5);
    EXPECT_EQ(parseInteger("2147483648"), std::nullopt);
    EXPECT_EQ(parseInteger("1.0"), std::nullopt);
}

TEST(PartsTest, MTextCodes) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"a\\Pb\\Pc", "a\nb\nc"},
        {"{\\fArial|b1;bold} x", "bold x"},
        {"\\H2.5x;big\\W0.8;narrow", "bignarrow"},
        {"\\S1^2;", "1/2"},
        {"\\Lunder\\l \\Oover\\o", "under over"},
        {"a\\~b", "a b"},
        {"\\\\P \\{ \\}", "\\P { }"},
        {"\\C1;red\\c255;", "red"},
        {"\\pxqc;centred", "centred"},
        {"cut\\", "cut\\"},
        {"col\\Nnext", "col\vnext"},
        // Numeric codes without their ";": the number ends them, the text goes on.
        {"{\\C1red} after", "red after"},
        {"\\c16711680blue", "blue"},
        {"\\H2.5xbig\\H.5small\\H1e1huge", "bigsmallhuge"},
        {"\\W0.8narrow\\T-1.5xtight\\Q15slant", "narrowtightslant"},
        {"\\A1middle\\A2;top", "middletop"},
        {"\\C+5", "+5"}, // no number: nothing of it is the code's
        {"\\Hx;height", "x;height"},
        {"\\S1#2;", "1/2"},
        {"\\S1/2;", "1/2"},
        {"\\fArial|b0text", ""}, // a font's name runs to ";", or to the end
    };
    for (const Case& c : cases)
        EXPECT_EQ(plainMText(c.in), c.out) << c.in;
}

TEST(PartsTest, WherePiecesMayStart) {
    struct Case {
        const char* name;
        std::string bytes;
        long expected; // offset of the start found, -1 for none
    };
    const std::string text = "  0\r\nTEXT\r\n 10\r\n5\r\n";
    const Case cases[] = {
        {"last entity", text + text, static_cast<long>(text.size())},
        {"not a vertex", text + "  0\r\nVERTEX\r\n 10\r\n1\r\n", 0},
        {"not a seqend", text + "  0\r\nSEQEND\r\n", 0},
        {"not an insert's attribute", text + "  0\r\nATTRIB\r\n 10\r\n1\r\n", 0},
        {"value 0 then number", "  1\r\n0\r\n 10\r\n5\r\n", -1},
        {"value of the last line unfinished", "  0\r\nTEXT", -1},
        {"nothing", "", -1},
    };
    for (const Case& c : cases) {
        const char* begin = c.bytes.data();
        const char* found = lastEntityStart(begin, begin + c.bytes.size());
        const long offset =
            found == begin && c.expected != 0 ? -1 : static_cast<long>(found - begin);
        EXPECT_EQ(offset, c.expected) << c.name;
    }
}

TEST(PartsTest, JoinedPiecesKeepEveryElementAndText) {
    // Blocks of 256: the first grows from 64; an array joined at a block's end hands its
    // blocks over, elsewhere it is copied; a whole first block taken at once.
    constexpr std::size_t kBlock = ChunkedArray<int, 8>::kBlock;
    for (std::size_t first : {std::size_t{0}, std::size_t{7}, kBlock, kBlock + 3, 3 * kBlock}) {
        for (std::size_t second : {std::size_t{3}, std::size_t{40}, 2 * kBlock + 5}) {
            for (bool whole : {false, true}) {
                SCOPED_TRACE(std::to_string(first) + " + " + std::to_string(second) +
                             (whole ? " whole" : ""));
                ChunkedArray<int, 8> a, b;
                if (whole)
                    b.startWhole();
                for (std::size_t i = 0; i < first; ++i)
                    a.push_back(static_cast<int>(i));
                for (std::size_t i = 0; i < second; ++i)
                    b.push_back(1000 + static_cast<int>(i));
                a.append(std::move(b));
                ASSERT_EQ(a.size(), first + second);
                EXPECT_TRUE(b.empty());
                a.push_back(-1);
                for (std::size_t i = 0; i < first + second; ++i)
                    ASSERT_EQ(a[i],
                              i < first ? static_cast<int>(i) : 1000 + static_cast<int>(i - first));
                EXPECT_EQ(a.back(), -1);
            }
        }
    }
    // A small drawing's arrays take little memory: the fuzzer reads thousands a second.
    ChunkedArray<TextRecord> small;
    small.push_back({});
    EXPECT_LT(small.memoryBytes(), 1024u);
    Entities x, y;
    for (Entities* e : {&x, &y}) {
        for (int i = 0; i < 3; ++i) {
            e->textBytes.begin();
            e->textBytes.append(e == &x ? "left" : "right");
            e->textBytes.append(std::to_string(i));
            TextRecord t;
            t.packed = e->textBytes.currentOffset() | std::uint64_t{e->textBytes.currentLength()}
                                                          << TextRecord::kLengthShift;
            e->texts.push_back(t);
        }
        e->vertices.push_back({1, 2});
        e->polylines.push_back({e->vertices.size() - 1, 1, false, {}});
        e->countNotDrawn("INSERT");
    }
    x.append(std::move(y));
    ASSERT_EQ(x.texts.size(), 6u);
    EXPECT_EQ(x.bytesOf(2), "left2");
    EXPECT_EQ(x.bytesOf(5), "right2");
    EXPECT_EQ(x.polylines[1].first, 1u);
    EXPECT_EQ(x.notDrawn.at("INSERT"), 2);
}

TEST(PartsTest, JoinedArenasKeepEveryText) {
    // Arenas of nothing, a few short texts and more than a block, joined every way: a small
    // one is copied at any offset, a large one handed over block by block.
    const std::size_t counts[] = {0, 3, 80};
    for (std::size_t mine : counts) {
        for (std::size_t theirs : counts) {
            SCOPED_TRACE(std::to_string(mine) + " + " + std::to_string(theirs));
            ByteArena a, b;
            std::vector<std::pair<std::uint64_t, std::string>> texts;
            auto fill = [&](ByteArena& arena, std::size_t n, char letter) {
                std::vector<std::pair<std::uint64_t, std::string>> made;
                for (std::size_t i = 0; i < n; ++i) {
                    const std::string text(n > 10 ? 30000 : 5, static_cast<char>(letter + i % 20));
                    arena.begin();
                    arena.append(text);
                    made.emplace_back(arena.currentOffset(), text);
                }
                return made;
            };
            texts = fill(a, mine, 'a');
            const auto others = fill(b, theirs, 'A');
            const std::uint64_t shift = a.append(std::move(b));
            for (const auto& [offset, text] : others)
                texts.emplace_back(offset + shift, text);
            a.begin();
            a.append("after");
            texts.emplace_back(a.currentOffset(), "after");
            for (const auto& [offset, text] : texts)
                ASSERT_EQ(a.view(offset, text.size()), text);
        }
    }
}

// The width estimate looks at eight bytes at a time: an escape or a high byte counts wherever
// it falls, in a whole word, across two or in the bytes after the last.
TEST(PartsTest, WidthEstimateFindsEscapesAndHighBytesAnywhere) {
    struct Case {
        std::string bytes;
        double ems;
    };
    const Case fixed[] = {
        {"", 0},
        {"abc", 1.8},
        {"配管", 3.0},                             // six high bytes: 6 x 0.6 - 0.6
        {"日本語テキスト", 10.5},                  // twenty-one: 12.6 - 2.1
        {"a\\U+65E5b", 2.2},                       // an escape counts one
        {"\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC", 4.0}, // a high byte that is a backslash's low bits
        {"\xFF\\U+0041zzzzzzzz", 0.5 + 1 + 4.8},
    };
    for (const Case& c : fixed)
        EXPECT_NEAR(estimatedEms(c.bytes), c.ems, 1e-9) << c.bytes;
    for (std::size_t at = 0; at + 7 <= 24; ++at) {
        std::string escaped(24, 'a');
        escaped.replace(at, 7, "\\U+1234");
        EXPECT_NEAR(estimatedEms(escaped), 0.6 * 17 + 1, 1e-9) << at;
        std::string high(24, 'a');
        high[at] = '\xE3';
        high[23 - at] = '\x81';
        EXPECT_NEAR(estimatedEms(high), 0.6 * 24 - 0.2, 1e-9) << at;
    }
}

TEST(PartsTest, LongTextsAreCutAndNeverStraddleBlocks) {
    ByteArena arena;
    const std::string big(ByteArena::kMaxTextBytes + 10, 'x');
    arena.begin();
    arena.append(big);
    EXPECT_EQ(arena.currentLength(), ByteArena::kMaxTextBytes);
    // Texts that together pass a block each stay whole.
    std::vector<std::pair<std::uint64_t, std::size_t>> kept;
    for (int i = 0; i < 80; ++i) {
        arena.begin();
        arena.append(std::string(30000, static_cast<char>('a' + i)));
        kept.emplace_back(arena.currentOffset(), arena.currentLength());
    }
    for (int i = 0; i < 80; ++i)
        EXPECT_EQ(arena.view(kept[i].first, kept[i].second),
                  std::string(30000, static_cast<char>('a' + i)));
}

} // namespace
