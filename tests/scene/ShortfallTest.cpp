// Nothing left out in silence: blocks inside themselves, in a cycle or nested too deep, a
// fan-out past the listing's limit and a text longer than the reader keeps are each said by
// --texts (with a status of its own), by --export and in the status line.
#include "TestSupport.h"

#include "drawing/Reader.h"
#include "drawing/TextsCommand.h"
#include "scene/PreviewCommandLine.h"
#include "scene/StatusText.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace quillet;
using quillet::testing::TempDir;
using quillet::testing::writeFile;

std::string pair(int code, std::string_view value) {
    return std::to_string(code) + "\n" + std::string(value) + "\n";
}

std::string text(std::string_view s) {
    return pair(0, "TEXT") + pair(8, "0") + pair(10, "0") + pair(20, "0") + pair(40, "1") +
           pair(1, s);
}

std::string insert(std::string_view block, std::string_view layer = "0", int columns = 1,
                   int rows = 1) {
    return pair(0, "INSERT") + pair(8, layer) + pair(2, block) + pair(10, "0") + pair(20, "0") +
           pair(70, std::to_string(columns)) + pair(71, std::to_string(rows)) + pair(44, "1") +
           pair(45, "1");
}

std::string block(std::string_view name, std::string_view entities) {
    return pair(0, "BLOCK") + pair(8, "0") + pair(2, name) + pair(70, "0") + pair(10, "0") +
           pair(20, "0") + std::string(entities) + pair(0, "ENDBLK");
}

std::string drawingOf(std::string_view blocks, std::string_view entities) {
    return pair(0, "SECTION") + pair(2, "TABLES") + pair(0, "TABLE") + pair(2, "LAYER") +
           pair(0, "LAYER") + pair(2, "FROZEN") + pair(70, "1") + pair(62, "7") +
           pair(0, "ENDTAB") + pair(0, "ENDSEC") + pair(0, "SECTION") + pair(2, "BLOCKS") +
           std::string(blocks) + pair(0, "ENDSEC") + pair(0, "SECTION") + pair(2, "ENTITIES") +
           std::string(entities) + pair(0, "ENDSEC") + pair(0, "EOF");
}

// A chain of n blocks, each inserting the next, the last holding a text.
std::string chain(int n) {
    std::string blocks;
    for (int b = 0; b < n; ++b)
        blocks += block("B" + std::to_string(b),
                        b + 1 < n ? insert("B" + std::to_string(b + 1)) : text("deepest"));
    return drawingOf(blocks, insert("B0"));
}

std::string contentOf(std::FILE* file) {
    std::rewind(file);
    std::string s;
    for (int c; (c = std::fgetc(file)) != EOF;)
        s += static_cast<char>(c);
    return s;
}

TEST(ShortfallTest, WhatIsLeftOutIsSaidWhereverTheDrawingIsShown) {
    const std::string nesting = "段より深いブロックの入れ子";
    const std::string limit = "一覧をそこで打ち切りました";
    const std::string tooLong = "長すぎる文字列 1 件";
    struct Case {
        const char* name;
        std::string drawing;
        int status;           // of --texts
        std::string said;     // on standard error and in the status line; "" for nothing
        const char* listed;   // a text that must be listed, or none
        const char* unlisted; // one that must not be, or none
    };
    const Case cases[] = {
        {"whole", drawingOf(block("A", text("a")), insert("A") + text("top")), 0, "", "top",
         nullptr},
        {"a block inside itself", drawingOf(block("A", text("a") + insert("A")), insert("A")),
         drawing::kListingCutShort, nesting, "a", nullptr},
        {"a cycle",
         drawingOf(block("A", insert("B")) + block("B", text("b") + insert("A")), insert("A")),
         drawing::kListingCutShort, nesting, "b", nullptr},
        {"as deep as is shown", chain(32), 0, "", "deepest", nullptr},
        {"one level deeper", chain(33), drawing::kListingCutShort, nesting, nullptr, "deepest"},
        // Nothing of what is hidden is left out.
        {"inside itself, frozen", drawingOf(block("A", insert("A")), insert("A", "FROZEN")), 0, "",
         nullptr, nullptr},
        {"a fan-out", drawingOf(block("A", text("x")), insert("A", "0", 100, 100)),
         drawing::kListingCutShort, limit, "x", nullptr},
        {"a text too long", drawingOf("", text(std::string(300000, 'a'))),
         drawing::kListingCutShort, tooLong, nullptr, nullptr},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / "d.dxf";
        writeFile(path, c.drawing);
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        ASSERT_TRUE(out && err);
        EXPECT_EQ(drawing::printTexts(path.c_str(), false, out, err, 1000), c.status);
        const std::string listing = contentOf(out), said = contentOf(err);
        std::fclose(out);
        std::fclose(err);
        EXPECT_EQ(said.empty(), c.said.empty()) << said;
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        if (c.listed) {
            EXPECT_NE(listing.find(c.listed), std::string::npos);
        }
        if (c.unlisted) {
            EXPECT_EQ(listing.find(c.unlisted), std::string::npos);
        }
        if (c.said == tooLong) {
            EXPECT_NE(listing.find(std::string(262080, 'a') + "\n"), std::string::npos);
        }

        // The listing's limit is its own; the rest the status line and the export say too.
        const bool shown = !c.said.empty() && c.said != limit;
        const auto read = drawing::readDrawing(path);
        const std::string warning = scene::statusOf(*read).warning;
        EXPECT_EQ(warning.find("⚠ "), shown ? 0u : std::string::npos) << warning;
        EXPECT_EQ(shown && warning.find(c.said) != std::string::npos, shown) << warning;
        scene::PreviewCommand command;
        command.kind = scene::PreviewCommand::Kind::Export;
        command.drawing = path;
        err = std::tmpfile();
        ASSERT_TRUE(err);
        EXPECT_EQ(scene::runExport(
                      command, [] { return scene::TextMeasure(); }, err,
                      [](const auto&, const auto&, bool) { return std::string(); }),
                  0);
        const std::string exportSaid = contentOf(err);
        std::fclose(err);
        EXPECT_EQ(exportSaid.empty(), !shown) << exportSaid;
        EXPECT_EQ(shown && exportSaid.find(c.said) != std::string::npos, shown) << exportSaid;
    }
}

} // namespace
