// The preview's command line, as both front ends read it, and its export's messages.
#include "TestSupport.h"

#include "scene/PreviewCommand.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace quillet::scene;
using Kind = PreviewCommand::Kind;

TEST(PreviewCommandTest, ArgumentsGiveTheirCommand) {
    struct Case {
        std::vector<std::string> args;
        Kind kind;
        std::string output, drawing;
        int width, height;
    };
    const Case cases[] = {
        {{}, Kind::Windows, "", "", 0, 0},
        {{"a.dxf", "b.dxf"}, Kind::Windows, "", "", 0, 0},
        {{"--texts", "a.dxf"}, Kind::Texts, "", "a.dxf", 0, 0},
        {{"--texts"}, Kind::Usage, "", "", 0, 0},
        {{"--texts", ""}, Kind::Usage, "", "", 0, 0},
        {{"--texts", "a.dxf", "b.dxf"}, Kind::Usage, "", "", 0, 0},
        {{"--export", "o.png", "a.dxf"}, Kind::Export, "o.png", "a.dxf", 0, 0},
        {{"--export", "o.svg", "--size", "800x600", "a.dxf"},
         Kind::Export,
         "o.svg",
         "a.dxf",
         800,
         600},
        {{"--export", "o.png", "--size", "16x20000", "a.dxf"},
         Kind::Export,
         "o.png",
         "a.dxf",
         16,
         20000},
        {{"--export", "o.png", "--size", "15x600", "a.dxf"}, Kind::Usage, "", "", 0, 0},
        {{"--export", "o.png", "--size", "800x20001", "a.dxf"}, Kind::Usage, "", "", 0, 0},
        {{"--export", "o.png", "--size", "800x600px", "a.dxf"}, Kind::Usage, "", "", 0, 0},
        {{"--export", "o.png", "--scale", "800x600", "a.dxf"}, Kind::Usage, "", "", 0, 0},
        {{"--export", "o.png"}, Kind::Usage, "", "", 0, 0},
        {{"--export", "", "a.dxf"}, Kind::Usage, "", "", 0, 0},
        {{"--export", "o.png", ""}, Kind::Usage, "", "", 0, 0},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args)
            line += a + " ";
        SCOPED_TRACE(line);
        const PreviewCommand got = parsePreviewCommand(c.args);
        EXPECT_EQ(got.kind, c.kind);
        if (c.kind == Kind::Usage || c.kind == Kind::Windows)
            continue;
        EXPECT_EQ(got.output, c.output);
        EXPECT_EQ(got.drawing, c.drawing);
        EXPECT_EQ(got.width, c.width);
        EXPECT_EQ(got.height, c.height);
    }
}

// Reads what was written to f.
std::string contentOf(std::FILE* f) {
    std::string s(static_cast<std::size_t>(std::ftell(f)), '\0');
    std::rewind(f);
    s.resize(std::fread(s.data(), 1, s.size(), f));
    return s;
}

TEST(PreviewCommandTest, ExportSaysWhatWentWrongAndFitsWhenASizeIsAsked) {
    quillet::testing::TempDir dir;
    const std::string cut = dir / "cut.dxf";
    std::string bytes = quillet::testing::dxfOf(quillet::testing::textEntity(0, 0, 10, "ab"));
    bytes.resize(bytes.rfind("EOF")); // cut short
    std::ofstream(dir.path() / "cut.dxf", std::ios::binary) << bytes;
    const auto measure = [] {
        return TextMeasure([](std::u16string_view s) { return 0.6 * double(s.size()); });
    };
    struct Case {
        std::string drawing, writeError;
        int width;
        int status;
        std::string message; // what err must hold
    };
    const Case cases[] = {
        {dir / "none.dxf", "", 0, 1, "none.dxf"},
        {cut, "", 0, 0, "途中で終わっています"},
        {cut, "書き込めません", 0, 1, "書き込めません\n"},
        {cut, "", 400, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.drawing + " " + c.writeError);
        PreviewCommand command;
        command.kind = Kind::Export;
        command.output = dir / "out.png";
        command.drawing = c.drawing;
        command.width = c.width;
        command.height = c.width;
        std::FILE* err = std::tmpfile();
        ASSERT_NE(err, nullptr);
        bool wholeAsked = false;
        const int status =
            runExport(command, measure, err, [&](const auto&, const ViewTransform&, bool whole) {
                wholeAsked = whole;
                return c.writeError;
            });
        const std::string message = contentOf(err);
        std::fclose(err);
        EXPECT_EQ(status, c.status);
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        if (c.status == 0) {
            EXPECT_EQ(wholeAsked, c.width == 0);
        }
    }
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(previewUsage(err), 2);
    EXPECT_EQ(contentOf(err), previewUsageText());
    EXPECT_TRUE(std::string(previewUsageText()).starts_with("使い方: quillet-preview"));
    std::fclose(err);
    EXPECT_EQ(previewUsage(nullptr), 2);
}

} // namespace
