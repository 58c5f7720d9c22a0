// The preview's command line, as both front ends read it, and its export's messages.
#include "TestSupport.h"

#include "scene/PreviewCommandLine.h"

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
        {{}, Kind::Usage, "", "", 0, 0},
        {{"a.dxf", "b.dxf"}, Kind::Windows, "", "", 0, 0},
        {{"--help"}, Kind::Help, "", "", 0, 0},
        {{"a.dxf", "-h"}, Kind::Help, "", "", 0, 0},
        {{"--no-such-option"}, Kind::Usage, "", "", 0, 0},
        {{"-platform", "xcb", "a.dxf"}, Kind::Usage, "", "", 0, 0},
        {{"--", "--help"}, Kind::Windows, "", "", 0, 0},
        {{"--texts", "--", "-odd.dxf"}, Kind::Texts, "", "-odd.dxf", 0, 0},
        {{"--export=o.png", "a.dxf", "--size=20x30"}, Kind::Export, "o.png", "a.dxf", 20, 30},
        {{"--export", "o.png", "--texts", "a.dxf"}, Kind::Usage, "", "", 0, 0},
        {{"--size", "800x600", "a.dxf"}, Kind::Usage, "", "", 0, 0},
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
        // A command line that cannot be followed says why.
        EXPECT_EQ(got.problem.empty(), c.kind != Kind::Usage) << got.problem;
        if (c.kind == Kind::Windows) {
            EXPECT_EQ(got.drawings.size(), c.args.size() - (c.args.front() == "--"));
            EXPECT_EQ(got.drawings.back(), c.args.back());
        }
        if (c.kind == Kind::Usage || c.kind == Kind::Windows || c.kind == Kind::Help)
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
}

// --help answers on standard output with 0; a wrong command line says why on standard error,
// with the usage, and 2.
TEST(PreviewCommandTest, UsageAnswersHelpAndWrongCommandLines) {
    const std::string usage = previewUsageText();
    EXPECT_TRUE(usage.starts_with("usage: quillet-preview [DRAWING.dxf...]\n")) << usage;
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, err;
    };
    const Case cases[] = {
        {{"--help"}, 0, usage, ""},
        {{"--bogus"}, 2, "", "quillet-preview: unknown option --bogus\n" + usage},
        {{"--texts"}, 2, "", "quillet-preview: --texts takes one drawing\n" + usage},
        {{"--export", "o.png", "--size", "8x8", "a.dxf"},
         2,
         "",
         "quillet-preview: --size takes WxH, each from 16 to 20000 pixels\n" + usage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        ASSERT_TRUE(out && err);
        EXPECT_EQ(answerUsage(parsePreviewCommand(c.args), out, err), c.status);
        EXPECT_EQ(contentOf(out), c.out);
        EXPECT_EQ(contentOf(err), c.err);
        std::fclose(out);
        // With nowhere to write, the status is the same.
        EXPECT_EQ(answerUsage(parsePreviewCommand(c.args), nullptr, nullptr), c.status);
        // Help with no standard output goes where messages go (a box on Windows).
        if (c.status == 0) {
            std::rewind(err);
            EXPECT_EQ(answerUsage(parsePreviewCommand(c.args), nullptr, err), 0);
            EXPECT_EQ(contentOf(err), usage);
        }
        std::fclose(err);
    }
}

} // namespace
