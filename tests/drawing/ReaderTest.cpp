// The drawing reader on our own drawings, on drawings other programs write, and on inputs
// that are no drawing at all.
#include "TestSupport.h"

#include "drawing/DrawingError.h"
#include "drawing/Reader.h"
#include "platform/TextEncoding.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

using namespace quillet::drawing;
using quillet::testing::dxfOf;
using quillet::testing::textEntity;

std::unique_ptr<Drawing> readBytes(std::string_view bytes, ReadOptions options = {}) {
    quillet::platform::MemorySource source(bytes);
    return readDrawing(source, static_cast<std::int64_t>(bytes.size()), options);
}

// One pair as our converter writes it: the code right-aligned in three characters, CR LF.
std::string pair(int code, std::string_view value) {
    std::string c = std::to_string(code);
    return std::string(3 - std::min<std::size_t>(3, c.size()), ' ') + c + "\r\n" +
           std::string(value) + "\r\n";
}

std::string cp932(std::string_view utf8) {
    std::string out;
    quillet::platform::text::Cp932Encoder().append(utf8, out);
    return out;
}

// A drawing as the converter's declared form has it: header, style table, entities.
std::string declaredDrawing(std::string_view entities) {
    return pair(0, "SECTION") + pair(2, "HEADER") + pair(9, "$ACADVER") + pair(1, "AC1009") +
           pair(9, "$DWGCODEPAGE") + pair(3, "ANSI_932") + pair(0, "ENDSEC") + pair(0, "SECTION") +
           pair(2, "TABLES") + pair(0, "TABLE") + pair(2, "STYLE") + pair(70, " 1 ") +
           pair(0, "STYLE") + pair(2, "KST32B") + pair(3, "txt") + pair(4, "extfont2.shx") +
           pair(0, "ENDTAB") + pair(0, "ENDSEC") + pair(0, "SECTION") + pair(2, "ENTITIES") +
           std::string(entities) + pair(0, "ENDSEC") + pair(0, "EOF");
}

std::string entitiesOnly(std::string_view entities) {
    return pair(0, "SECTION") + pair(2, "ENTITIES") + std::string(entities) + pair(0, "ENDSEC") +
           pair(0, "EOF");
}

TEST(ReaderTest, ClassicDrawingKeepsBytesAndDecodesByContent) {
    const std::string bytes =
        dxfOf(textEntity(0, 0, 100, "配管") + textEntity(0, -200, 100, cp932("東京")) +
              textEntity(1000, 0, 50, cp932("ﾃｽﾄ")));
    const auto d = readBytes(bytes);
    ASSERT_EQ(d->entities.texts.size(), 3u);
    EXPECT_EQ(d->entities.bytesOf(1), cp932("東京")); // kept as read
    EXPECT_EQ(d->decodedText(0), "配管");             // valid UTF-8
    EXPECT_EQ(d->decodedText(1), "東京");             // code page 932
    EXPECT_EQ(d->decodedText(2), "ﾃｽﾄ");
    EXPECT_EQ(d->entities.texts[2].x, 1000);
    EXPECT_EQ(d->entities.texts[1].y, -200);
    EXPECT_EQ(d->entities.texts[2].height, 50);
    EXPECT_EQ(d->encoding, TextEncoding::Undeclared);
    EXPECT_LE(d->extents().minY, -200);
    EXPECT_GE(d->extents().maxY, 100);
}

// Our own texts are read whole, the rest line by line: both ways give the same records. LF
// line ends take every text the line-by-line way.
TEST(ReaderTest, OwnTextsReadWholeAsLineByLine) {
    std::string entities;
    for (int i = 0; i < 300; ++i)
        entities += textEntity(10 * (i % 7), -2 * i, i % 5 - 2, i % 3 ? "ab c" : "配管");
    entities += pair(0, "TEXT") + pair(8, "0") + pair(10, "1.5") + pair(20, " -2.25 ") +
                pair(30, "0") + pair(40, "2") + pair(1, "frac") + pair(7, "KST32B");
    entities += textEntity(5, 5, 5, "") + pair(0, "LINE") + pair(10, "0") + pair(20, "0") +
                pair(11, "9") + pair(21, "9");
    const std::string crlf = dxfOf(entities);
    std::string lf;
    for (char c : crlf)
        if (c != '\r')
            lf += c;
    const auto whole = readBytes(crlf);
    const auto byLines = readBytes(lf);
    ASSERT_EQ(whole->entities.texts.size(), 302u);
    ASSERT_EQ(byLines->entities.texts.size(), whole->entities.texts.size());
    for (std::size_t i = 0; i < whole->entities.texts.size(); ++i) {
        const TextRecord& a = whole->entities.texts[i];
        const TextRecord& b = byLines->entities.texts[i];
        EXPECT_EQ(std::tie(a.x, a.y, a.height, a.angle, a.widthMilli, a.packed),
                  std::tie(b.x, b.y, b.height, b.angle, b.widthMilli, b.packed))
            << "text " << i;
    }
    EXPECT_EQ(whole->entities.lines.size(), 1u);
    EXPECT_EQ(whole->entities.texts[300].x, 1.5);
    EXPECT_EQ(whole->entities.texts[300].y, -2.25);
}

// The width estimate each text keeps while read gives the box its bytes give, whichever way
// it was read: our own lines whole, line by line, other programs' texts and MTEXTs.
TEST(ReaderTest, KeptWidthsAreThoseOfTheBytes) {
    const std::string longText(70000, 'w');
    std::string entities;
    for (const std::string& text : {std::string("ab c"), std::string("配管"), cp932("ﾃｽﾄ東京"),
                                    std::string("a\\U+914Db"), std::string(), longText})
        entities += textEntity(3, -4, 2, text) + pair(0, "TEXT") + pair(8, "0") + pair(62, "3") +
                    pair(10, "1") + pair(20, "2") + pair(40, "1.5") + pair(41, "0.8") +
                    pair(72, "2") + pair(11, "7") + pair(21, "2") + pair(1, text) +
                    pair(0, "MTEXT") + pair(10, "0") + pair(20, "0") + pair(40, "2") +
                    pair(1, text + "\\P" + text);
    for (const bool byLines : {false, true}) {
        SCOPED_TRACE(byLines ? "line by line" : "our lines whole");
        std::string bytes = dxfOf(entities);
        if (byLines)
            std::erase(bytes, '\r');
        const auto d = readBytes(bytes);
        Entities& e = d->entities;
        ASSERT_EQ(e.texts.size(), 18u);
        ASSERT_EQ(e.textHighs.size(), e.texts.size());
        std::vector<Box> kept;
        for (std::size_t i = 0; i < e.texts.size(); ++i)
            kept.push_back(estimatedTextBox(e, i));
        e.textHighs.clear(); // now from the bytes
        for (std::size_t i = 0; i < e.texts.size(); ++i) {
            const Box b = estimatedTextBox(e, i);
            EXPECT_EQ(std::tie(kept[i].minX, kept[i].minY, kept[i].maxX, kept[i].maxY),
                      std::tie(b.minX, b.minY, b.maxX, b.maxY))
                << "text " << i;
        }
    }
}

TEST(ReaderTest, DeclaredDrawingDecodesCodePageThenEscapes) {
    std::string entities;
    for (std::string_view text : {"ソケット", "①\\U+2460", "表"})
        entities += pair(0, "TEXT") + pair(8, "0") + pair(10, " 0 ") + pair(20, "-200 ") +
                    pair(30, "0") + pair(40, " 100 ") + pair(7, "KST32B") + pair(1, cp932(text));
    const auto d = readBytes(declaredDrawing(entities));
    EXPECT_EQ(d->header.acadVersion, "AC1009");
    EXPECT_EQ(d->encoding, TextEncoding::Cp932);
    ASSERT_EQ(d->entities.texts.size(), 3u);
    EXPECT_EQ(d->decodedText(0), "ソケット");
    EXPECT_EQ(d->decodedText(1), "①①");
    EXPECT_EQ(d->decodedText(2), "表"); // its trail byte is a backslash
}

TEST(ReaderTest, EncodingFollowsHeader) {
    struct Case {
        const char* version;
        const char* page;
        TextEncoding expected;
    };
    for (const Case& c :
         {Case{"AC1009", "ANSI_932", TextEncoding::Cp932},
          Case{"AC1015", "ANSI_1252", TextEncoding::Cp1252},
          Case{"AC1021", "ANSI_1252", TextEncoding::Utf8}, Case{"AC1032", "", TextEncoding::Utf8},
          Case{"", "", TextEncoding::Undeclared}}) {
        HeaderInfo h;
        h.acadVersion = c.version;
        h.codePage = c.page;
        EXPECT_EQ(encodingOf(h), c.expected) << c.version << " " << c.page;
    }
    EXPECT_EQ(decodeText("caf\xE9", TextEncoding::Cp1252), "café");
    EXPECT_EQ(decodeText("{\\fArial;a\\Pb}\\~c\\U+00e9", TextEncoding::Utf8, true), "a\nb cé");
}

TEST(ReaderTest, TextPlacementAndShapes) {
    const std::string entities =
        // aligned: stands at 11/21
        pair(0, "TEXT") + pair(10, "1") + pair(20, "2") + pair(40, "2.5") + pair(50, "90") +
        pair(41, "0.5") + pair(72, "1") + pair(73, "2") + pair(11, "30") + pair(21, "40") +
        pair(1, "A") +
        // left: 11/21 is ignored
        pair(0, "TEXT") + pair(10, "5") + pair(20, "6") + pair(40, "1") + pair(11, "99") +
        pair(21, "99") + pair(1, "B") + pair(0, "MTEXT") + pair(10, "0") + pair(20, "0") +
        pair(40, "3") + pair(71, "5") + pair(11, "0") + pair(21, "1") + pair(3, "first\\P") +
        pair(1, "second") + pair(0, "LINE") + pair(10, "0") + pair(20, "0") + pair(11, "10") +
        pair(21, "0") + pair(0, "CIRCLE") + pair(10, "5") + pair(20, "5") + pair(40, "2") +
        pair(0, "ARC") + pair(10, "0") + pair(20, "0") + pair(40, "1") + pair(50, "0") +
        pair(51, "90") + pair(0, "LWPOLYLINE") + pair(90, "2000000000") + pair(70, "1") +
        pair(10, "0") + pair(20, "0") + pair(10, "1") + pair(20, "0") + pair(10, "1") +
        pair(20, "1") + pair(0, "POLYLINE") + pair(66, "1") + pair(70, "0") + pair(0, "VERTEX") +
        pair(10, "2") + pair(20, "2") + pair(0, "VERTEX") + pair(10, "3") + pair(20, "3") +
        pair(0, "SEQEND") + pair(0, "INSERT") + pair(2, "B") + pair(0, "POINT") +
        pair(0, "INSERT") + pair(0, "DIMENSION") + pair(10, "1");
    const auto d = readBytes(entitiesOnly(entities));
    const Entities& e = d->entities;
    ASSERT_EQ(e.texts.size(), 4u);
    EXPECT_EQ(e.texts[0].x, 30);
    EXPECT_EQ(e.texts[0].y, 40);
    EXPECT_EQ(e.texts[0].halign(), HAlign::Center);
    EXPECT_EQ(e.texts[0].valign(), VAlign::Middle);
    EXPECT_NEAR(e.texts[0].rotationDegrees(), 90, 0.01);
    EXPECT_NEAR(e.texts[0].widthFactor(), 0.5, 0.001);
    EXPECT_EQ(e.texts[1].x, 5);
    EXPECT_TRUE(e.texts[2].isMText());
    EXPECT_NEAR(e.texts[2].rotationDegrees(), 90, 0.01); // its direction 11/21
    EXPECT_EQ(e.texts[2].halign(), HAlign::Center);
    EXPECT_EQ(d->decodedText(2), "first\nsecond");
    EXPECT_EQ(d->lineCount(2), 2);
    EXPECT_EQ(e.lines.size(), 1u);
    EXPECT_EQ(e.arcs.size(), 2u);
    ASSERT_EQ(e.polylines.size(), 3u);
    EXPECT_TRUE(e.polylines[0].closed);
    EXPECT_EQ(e.polylines[0].count, 3u);
    EXPECT_EQ(e.polylines[1].count, 2u);
    EXPECT_EQ(e.vertices[e.polylines[1].first + 1].x, 3);
    EXPECT_EQ(e.polylines[2].flags(), PolylineRecord::kPoint);
    // The insert without a block name is no reference, named as not drawn; the dimension
    // without one is drawn from its points, all at the origin here: only its text, 0 in the
    // default style's four decimals.
    ASSERT_EQ(e.inserts.size(), 1u);
    EXPECT_EQ(e.notDrawn.at("INSERT"), 1);
    EXPECT_EQ(e.notDrawn.count("DIMENSION"), 0u);
    EXPECT_EQ(d->decodedText(3), "0.0000");
    EXPECT_EQ(e.insertName(0), "B");
    EXPECT_EQ(d->blockOf(e.inserts[0]), nullptr); // no such block
    EXPECT_EQ(d->index().size(), 11u);
}

TEST(ReaderTest, FormsOfLinesAndNumbers) {
    // LF alone, blanks around codes, a BOM, comments, exponents and signs.
    const std::string bytes = "\xEF\xBB\xBF"
                              "999\ncomment\n0\nSECTION\n  2  \nENTITIES\n0\nTEXT\n"
                              "10\n+1.5E2\n 20 \n-.5\n40\n  3  \n1\n x \n0\nENDSEC\n0\nEOF";
    const auto d = readBytes(bytes);
    ASSERT_EQ(d->entities.texts.size(), 1u);
    EXPECT_EQ(d->entities.texts[0].x, 150);
    EXPECT_EQ(d->entities.texts[0].y, -0.5);
    EXPECT_EQ(d->entities.texts[0].height, 3);
    EXPECT_EQ(d->entities.bytesOf(0), " x "); // values keep their blanks
}

TEST(ReaderTest, AbsurdNumbersSkipTheEntity) {
    std::string entities;
    for (std::string_view x : {"nan", "inf", "1e308", "-1e400", "12abc", "0x10"})
        entities += pair(0, "TEXT") + pair(10, x) + pair(20, "0") + pair(40, "1") + pair(1, "t");
    entities += pair(0, "LINE") + pair(10, "0") + pair(20, "0") + pair(11, "NaN") + pair(21, "1");
    entities += pair(0, "TEXT") + pair(10, "1") + pair(20, "1") + pair(40, "1") + pair(1, "ok");
    const auto d = readBytes(entitiesOnly(entities));
    EXPECT_EQ(d->entities.texts.size(), 1u);
    EXPECT_EQ(d->entities.skipped, 7);
    EXPECT_EQ(d->entities.lines.size(), 0u);
}

TEST(ReaderTest, BadInputsEndInClearMessages) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* says;
    };
    std::string random(4096, '\0');
    std::mt19937 gen(7);
    for (char& c : random)
        c = static_cast<char>(gen());
    const std::string good = entitiesOnly(pair(0, "TEXT") + pair(10, "0") + pair(1, "x"));
    const Case cases[] = {
        {"binary", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "rest", "バイナリ"},
        {"binary cut in a pair", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "\x00",
         "バイナリ"},
        {"empty", "", "DXF 図面ではありません"},
        {"text", "hello,world\r\n", "DXF 図面ではありません"},
        {"random", random, "DXF 図面ではありません"},
        {"odd code", pair(0, "SECTION") + "x1\r\nA\r\n", "整数ではありません"},
        {"code too large", pair(0, "SECTION") + "5000\r\nA\r\n" + pair(0, "EOF"),
         "整数ではありません"},
    };
    // A drawing cut short shows what was read, with a warning.
    for (const std::size_t cut : {good.size() / 2, good.size() - 10}) {
        const auto d = readBytes(good.substr(0, cut));
        EXPECT_TRUE(d->truncated);
        EXPECT_EQ(d->entities.texts.size(), cut == good.size() / 2 ? 0u : 1u);
    }
    EXPECT_FALSE(readBytes(good)->truncated);
    for (const Case& c : cases) {
        try {
            readBytes(c.bytes);
            ADD_FAILURE() << c.name << ": read without error";
        } catch (const DrawingError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos)
                << c.name << ": " << e.what();
        } catch (const std::exception& e) {
            ADD_FAILURE() << c.name << ": " << e.what();
        }
    }
}

TEST(ReaderTest, FileErrorsAreRunErrors) {
    quillet::testing::TempDir dir;
    EXPECT_RUN_ERROR(readDrawing(dir / "missing.dxf"), 53);
    EXPECT_RUN_ERROR(readDrawing(dir / "no-folder/x.dxf"), 76);
    EXPECT_RUN_ERROR(readDrawing(dir.str()), 75);
    EXPECT_RUN_ERROR(readStart(dir / "missing.dxf"), 53);
}

TEST(ReaderTest, MemoryLimitAndCancel) {
    std::string entities;
    for (int i = 0; i < 2000; ++i)
        entities += textEntity(i, 0, 1, "abc");
    const std::string bytes = dxfOf(entities);
    ReadOptions small;
    small.memoryLimit = 1000;
    EXPECT_THROW(readBytes(bytes, small), DrawingError);
    std::atomic<bool> stop = true;
    ReadOptions cancelled;
    cancelled.cancel = &stop;
    EXPECT_THROW(readBytes(bytes, cancelled), ReadCancelled);
    std::int64_t seen = 0;
    ReadOptions progress;
    progress.progress = [&](std::int64_t done, std::int64_t) { seen = done; };
    readBytes(bytes, progress);
    EXPECT_EQ(seen, static_cast<std::int64_t>(bytes.size()));
}

// A file large enough to be parsed in pieces on several threads reads exactly as one parser
// reads it, also when the entities section ends in the middle and other sections follow.
TEST(ReaderTest, PiecesReadAsOneParser) {
    std::string entities;
    for (int i = 0; i < 400000; ++i) {
        entities += textEntity(i % 1000, -(i / 1000), 1 + i % 7, i % 3 ? "配管" : "ab");
        if (i % 5000 == 0)
            entities += pair(0, "POLYLINE") + pair(70, "1") + pair(0, "VERTEX") + pair(10, "1") +
                        pair(20, "2") + pair(0, "VERTEX") + pair(10, "3") + pair(20, "4") +
                        pair(0, "SEQEND");
    }
    std::string bytes = pair(0, "SECTION") + pair(2, "ENTITIES") + entities + pair(0, "ENDSEC") +
                        pair(0, "SECTION") + pair(2, "OBJECTS") + entities + pair(0, "ENDSEC") +
                        pair(0, "EOF");
    ASSERT_GT(bytes.size(), 48u << 20);
    ReadOptions one, many;
    one.threads = 1;
    many.threads = 4;
    const auto a = readBytes(bytes, one);
    const auto b = readBytes(bytes, many);
    ASSERT_EQ(a->entities.texts.size(), 400000u);
    ASSERT_EQ(b->entities.texts.size(), a->entities.texts.size());
    ASSERT_EQ(b->entities.polylines.size(), a->entities.polylines.size());
    for (std::size_t i = 0; i < a->entities.texts.size(); i += 997) {
        EXPECT_EQ(b->entities.texts[i].x, a->entities.texts[i].x);
        EXPECT_EQ(b->entities.texts[i].y, a->entities.texts[i].y);
        EXPECT_EQ(b->entities.bytesOf(i), a->entities.bytesOf(i));
    }
    // The index built on several threads is the one built on one.
    std::vector<std::uint32_t> found[2];
    for (int k = 0; k < 2; ++k) {
        const Drawing& d = k ? *b : *a;
        d.index().query(
            d.extents(), 0, [&](std::uint32_t id) { found[k].push_back(id); },
            [](const NodeBox&) {});
    }
    EXPECT_EQ(found[0].size(), a->itemCount());
    EXPECT_EQ(found[1], found[0]);
    EXPECT_EQ(b->extents().minX, a->extents().minX);
    EXPECT_EQ(b->extents().maxY, a->extents().maxY);
    // A broken group code far into the file names its line either way.
    const std::size_t at = bytes.size() / 3;
    const std::size_t line = bytes.find("\r\n 10\r\n", at) + 2;
    bytes.replace(line, 3, "1x0");
    std::int64_t lines[2] = {0, 0};
    int k = 0;
    for (const ReadOptions& o : {one, many}) {
        try {
            readBytes(bytes, o);
        } catch (const DrawingError& e) {
            lines[k] = e.line();
        }
        ++k;
    }
    EXPECT_GT(lines[0], 0);
    EXPECT_EQ(lines[0], lines[1]);
}

// Our own texts' numbers are read eight bytes at a time when short: every length up to and
// past eight digits, signs, and forms that are not our padded integers read as before.
TEST(ReaderTest, OwnTextNumbersOfEveryLength) {
    struct Case {
        std::string line;
        double value;
    };
    const Case cases[] = {
        {" 0 ", 0},
        {"-0 ", 0},
        {" 7 ", 7},
        {"-236 ", -236},
        {" 5630 ", 5630},
        {" 1234567 ", 1234567},
        {"-9999999 ", -9999999},
        {" 12345678 ", 12345678},
        {"-123456789012 ", -123456789012.0},
        {"0000042 ", 42},
        {"1.5", 1.5},
        {" 12", 12},
        {"-3.25e2", -325},
    };
    std::string entities;
    for (const Case& c : cases)
        entities += "  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n" + c.line + "\r\n 20\r\n" + c.line +
                    "\r\n 30\r\n0\r\n 40\r\n" + c.line + "\r\n  1\r\nT\r\n";
    const auto d = readBytes(entitiesOnly(entities));
    ASSERT_EQ(d->entities.texts.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].line);
        EXPECT_EQ(d->entities.texts[i].x, cases[i].value);
        EXPECT_EQ(d->entities.texts[i].y, cases[i].value);
        EXPECT_EQ(d->entities.texts[i].height, static_cast<float>(std::fabs(cases[i].value)));
        EXPECT_EQ(d->entities.bytesOf(i), "T");
    }
}

// The code-page guess is noted as texts are kept, piece by piece: a text far into a large
// file counts as one at its start does, read whole or in pieces, by the fast way for our own
// texts or line by line (a layer of its own), and a text in a block does not count.
TEST(ReaderTest, CodePageGuessOfPiecesIsTheWholeFiles) {
    const std::string cp = cp932("配管");
    const std::string layered = pair(0, "TEXT") + pair(8, "PIPES") + pair(10, "1") + pair(20, "2") +
                                pair(40, "1") + pair(1, cp);
    std::string ascii;
    for (int i = 0; i < 380000; ++i)
        ascii += textEntity(i % 1000, -(i / 1000), 1, "ab");
    ASSERT_GT(ascii.size(), 25u << 20);
    const std::string half = ascii.substr(0, ascii.find("  0\r\nTEXT", ascii.size() / 2));
    const std::string rest = ascii.substr(half.size());
    const std::string blockWithCp = pair(0, "SECTION") + pair(2, "BLOCKS") + pair(0, "BLOCK") +
                                    pair(2, "B") + pair(10, "0") + pair(20, "0") +
                                    textEntity(0, 0, 1, cp) + pair(0, "ENDBLK") + pair(0, "ENDSEC");
    struct Case {
        const char* name;
        std::string bytes;
        bool utf8, cp932;
    };
    const Case cases[] = {
        {"ascii only", dxfOf(ascii), false, false},
        {"utf-8 at the end", dxfOf(ascii + textEntity(0, 0, 1, "配管")), true, false},
        {"cp932 in the middle", dxfOf(half + textEntity(0, 0, 1, cp) + rest), false, true},
        {"both, far apart",
         dxfOf(textEntity(0, 0, 1, "配管") + half + textEntity(0, 0, 1, cp) + rest), true, true},
        {"line by line at the end", dxfOf(ascii + layered), false, true},
        {"only in a block", blockWithCp + dxfOf(ascii), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (unsigned threads : {1u, 4u}) {
            ReadOptions options;
            options.threads = threads;
            const auto d = readBytes(c.bytes, options);
            EXPECT_EQ(d->guess.utf8, c.utf8) << threads;
            EXPECT_EQ(d->guess.cp932, c.cp932) << threads;
        }
    }
}

#ifndef QUILLET_NO_PYTHON
// Drawings written by other programs, made at test time (not in a build without Python).
TEST(ReaderTest, PeerDrawings) {
    quillet::testing::TempDir dir;
    const std::string command =
        std::string(QUILLET_SYSTEM_PYTHON) + " " + QUILLET_PEER_SCRIPT + " " + dir.str();
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "ezdxf is not there";
    for (const char* name : {"ezdxf-R12.dxf", "ezdxf-R2000.dxf", "ezdxf-R2010.dxf"}) {
        SCOPED_TRACE(name);
        const auto d = readDrawing(dir / name);
        ASSERT_GE(d->entities.texts.size(), 5u);
        EXPECT_EQ(d->decodedText(0), "配管");
        EXPECT_EQ(d->decodedText(2), "ソケット");
        EXPECT_EQ(d->decodedText(3), "ﾃｽﾄ");
        EXPECT_EQ(d->entities.texts[1].x, 10);
        EXPECT_EQ(d->entities.texts[4].x, 50); // centred: at its alignment point
        EXPECT_EQ(d->entities.lines.size(), 1u);
        EXPECT_EQ(d->entities.arcs.size(), 2u);
        int points = 0;
        for (std::size_t i = 0; i < d->entities.polylines.size(); ++i)
            points += (d->entities.polylines[i].flags() & PolylineRecord::kPoint) != 0;
        EXPECT_EQ(points, 1);
    }
    const std::string gdal = dir / "gdal.dxf";
    if (std::FILE* f = std::fopen(gdal.c_str(), "rb")) {
        std::fclose(f);
        const auto d = readDrawing(gdal);
        EXPECT_GE(d->entities.polylines.size(), 1u);
        EXPECT_EQ(d->extents().maxX, 10);
    }
}
#endif

} // namespace
