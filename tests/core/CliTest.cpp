// quillet-convert: its command line, and the program end to end.
#include "TestSupport.h"

#include "ConverterRun.h"
#include "cli/Options.h"
#include "conversion/OutputName.h"

#include <algorithm>
#include <clocale>
#include <filesystem>

namespace quillet::testing {
namespace {

namespace fs = std::filesystem;

struct ParseCase {
    std::vector<std::string_view> args;
    std::vector<std::string> inputs;
    std::string height = "100";
    std::optional<std::string> output = {};
    bool help = false;
    bool version = false;
};

TEST(ParseOptionsTest, Accepted) {
    const ParseCase cases[] = {
        {{"a.csv"}, {"a.csv"}},
        {{"a.csv", "b.csv"}, {"a.csv", "b.csv"}},
        {{"--height", "50", "a"}, {"a"}, "50"},
        {{"--height=50.5", "a"}, {"a"}, "50.5"},
        {{"--height=", "a"}, {"a"}, ""},
        {{"a", "--height", "-7"}, {"a"}, "-7"}, // a value may look like an option
        {{"--height", "--", "a"}, {"a"}, "--"},
        {{"-o", "x.dxf", "a"}, {"a"}, "100", "x.dxf"},
        {{"--output", "x.dxf", "a"}, {"a"}, "100", "x.dxf"},
        {{"--output=x=y.dxf", "a"}, {"a"}, "100", "x=y.dxf"},
        {{"--", "-a.csv", "--help"}, {"-a.csv", "--help"}},
        {{"-o", "-", "-"}, {"-"}, "100", "-"},
        {{"--code-page", "932", "--encoding=utf-8", "a"}, {"a"}},
        {{"--help"}, {}, "100", {}, true},
        {{"-h", "a"}, {"a"}, "100", {}, true},
        {{"--version"}, {}, "100", {}, false, true},
        {{"--help", "-o", "x", "a", "b"}, {"a", "b"}, "100", "x", true},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        cli::Options options = cli::parseOptions(c.args);
        EXPECT_EQ(options.inputs, c.inputs);
        EXPECT_EQ(options.heightText, c.height);
        EXPECT_EQ(options.output, c.output);
        EXPECT_EQ(options.help, c.help);
        EXPECT_EQ(options.version, c.version);
    }
    const cli::Options declared =
        cli::parseOptions({"--code-page=932", "--encoding", "cp932", "a"});
    EXPECT_EQ(declared.drawing.drawing, conversion::DrawingKind::Declared);
    EXPECT_EQ(declared.drawing.encoding, conversion::InputEncoding::Cp932);
    EXPECT_EQ(cli::parseOptions({"a"}).drawing.drawing, conversion::DrawingKind::Classic);
    EXPECT_TRUE(cli::parseOptions({"--backup", "a"}).backup);
    EXPECT_TRUE(cli::parseOptions({"--quotes", "a"}).drawing.quotes);
    EXPECT_FALSE(cli::parseOptions({"a"}).drawing.quotes);
    EXPECT_FALSE(cli::parseOptions({"a"}).backup);
}

TEST(ParseOptionsTest, UsageErrors) {
    const std::vector<std::string_view> cases[] = {
        {},
        {"--height", "50"},
        {"--height"},
        {"a", "-o"},
        {"--bogus", "a"},
        {"--heightx", "a"},
        {"-o=x", "a"},
        {"-x", "a"},
        {"-o", "x", "a", "b"},
        {"--"},
        {"--help", "--bogus"},
        {"-"}, // standard input has no name to put .dxf after
        {"--code-page", "1252", "a"},
        {"--code-page", "932", "--encoding", "latin-1", "a"},
        {"--encoding", "utf-8", "a"}, // the classic drawing has no encoding to choose
    };
    for (const auto& args : cases) {
        EXPECT_THROW(cli::parseOptions(args), platform::UsageError)
            << ::testing::PrintToString(args);
    }
}

TEST(ParseOptionsTest, DefaultOutputAppendsDxf) {
    EXPECT_EQ(conversion::proposedOutput("data.csv"), "data.csv.dxf");
    EXPECT_EQ(conversion::proposedOutput("dir/data"), "dir/data.dxf");
}

const std::string kReport2 = "処理した文字数 : 2\n処理終了\n";

TEST(ConverterProgramTest, ConvertsNextToInput) {
    TempDir dir;
    fs::create_directory(dir.path() / "sub");
    writeFile(dir / "sub/in.csv", "AB,CD\r\n");
    Outcome run = runConverter(dir, {"sub/in.csv"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kReport2);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readFile(dir / "sub/in.csv.dxf"),
              dxfOf(textEntity(0, 0, 100, "CD") + textEntity(0, -200, 100, "AB")));
}

// Japanese names on the command line and on disk: UTF-8 inside the program, UTF-16 on
// Windows' side, whatever the system's code page; the messages name them as given.
TEST(ConverterProgramTest, JapaneseNamesInAndOut) {
    TempDir dir;
    fs::create_directory(pathOf(dir / "図面"));
    writeFile(dir / "図面/配管.csv", "配管,東京\r\n");
    Outcome run = runConverter(dir, {"--code-page", "932", "-o", "図面/出力.dxf", "図面/配管.csv"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readFile(dir / "図面/出力.dxf"),
              declaredDxfOf(declaredTextEntity(0, 0, 100, "\x93\x8C\x8B\x9E") +
                                declaredTextEntity(0, -200, 100, "\x94\x7A\x8A\xC7"),
                            {0, -200, 400, 100}));
    Outcome missing = runConverter(dir, {"図面/無い.csv"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("図面/無い.csv: 実行時エラー 53"), std::string::npos) << missing.err;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(pathOf(dir / "図面")))
        names.push_back(utf8Of(entry.path().filename()));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"出力.dxf", "配管.csv"}));
}

TEST(ConverterProgramTest, HeightAndOutputOptions) {
    TempDir dir;
    writeFile(dir / "in.csv", "AB,CD");
    Outcome run = runConverter(dir, {"--height", "50.9", "-o", "drawing.dxf", "in.csv"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readFile(dir / "drawing.dxf"),
              dxfOf(textEntity(0, 0, 50, "CD") + textEntity(0, -100, 50, "AB")));
    EXPECT_FALSE(fs::exists(dir.path() / "in.csv.dxf"));
}

TEST(ConverterProgramTest, RunErrorGoesOnWithNextInput) {
    TempDir dir;
    writeFile(dir / "good.csv", "AB,CD");
    writeFile(dir / "long.csv", std::string(32768, 'x'));
    Outcome run = runConverter(dir, {"missing.csv", "long.csv", "good.csv"});
    EXPECT_EQ(run.exitCode, 1);
    // With several inputs each report names its input.
    EXPECT_EQ(run.out, "入力ファイル : good.csv\n" + kReport2);
    EXPECT_NE(run.err.find("missing.csv"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("実行時エラー 53"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("実行時エラー 6"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("1 行目)\nquillet-convert: long.csv: この行は 32768 文字あります。"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(fs::exists(dir.path() / "good.csv.dxf"));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"good.csv", "good.csv.dxf", "long.csv"}));
}

TEST(ConverterProgramTest, BadHeightIsTypeMismatch) {
    TempDir dir;
    writeFile(dir / "in.csv", "x");
    Outcome run = runConverter(dir, {"--height=abc", "in.csv"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("実行時エラー 13"), std::string::npos) << run.err;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.csv"});
}

TEST(ConverterProgramTest, OutputSameAsInputIsRefused) {
    TempDir dir;
    writeFile(dir / "in.csv", "x");
    Outcome run = runConverter(dir, {"-o", "./in.csv", "in.csv"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("実行時エラー 55"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(dir / "in.csv"), "x");
}

TEST(ConverterProgramTest, UsageErrorsExitWith2) {
    TempDir dir;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"--bogus", "in.csv"}, {"-o", "x.dxf", "a.csv", "b.csv"}, {"--height"}, {"-"}}) {
        Outcome run = runConverter(dir, args);
        EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage: quillet-convert"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(dir.entries().empty());
}

TEST(ConverterProgramTest, HelpAndVersion) {
    TempDir dir;
    Outcome help = runConverter(dir, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("usage: quillet-convert ")) << help.out;
    EXPECT_NE(help.out.find("--height"), std::string::npos);
    EXPECT_EQ(help.err, "");
    Outcome version = runConverter(dir, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "quillet-convert " QUILLET_VERSION "\n");
}

TEST(ConverterProgramTest, DecimalSeparatorFollowsLocale) {
    TempDir dir;
    writeFile(dir / "in.csv", "x");
    Outcome c = runConverter(dir, {"--height", "100.9", "in.csv"}, "C");
    EXPECT_EQ(c.exitCode, 0) << c.err;
    EXPECT_EQ(readFile(dir / "in.csv.dxf"), dxfOf(textEntity(0, 0, 100, "x")));
    // In the C locale the comma groups digits.
    Outcome grouped = runConverter(dir, {"--height", "1,000", "in.csv"}, "C");
    EXPECT_EQ(grouped.exitCode, 0) << grouped.err;
    EXPECT_EQ(readFile(dir / "in.csv.dxf"), dxfOf(textEntity(0, 0, 1000, "x")));
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale to try a decimal comma with";
    std::setlocale(LC_NUMERIC, "C");
    Outcome german = runConverter(dir, {"--height", "100,9", "in.csv"}, "de_DE.UTF-8");
    EXPECT_EQ(german.exitCode, 0) << german.err;
    EXPECT_EQ(readFile(dir / "in.csv.dxf"), dxfOf(textEntity(0, 0, 100, "x")));
}

// In a pipe: the drawing alone on standard output, the same bytes as a file would hold, and
// the report on standard error.
TEST(ConverterProgramTest, PipesCarryTheDrawingAlone) {
    TempDir dir;
    writeFile(dir / "in.csv", "配管,東京\r\nAB\r\n");
    for (const std::vector<std::string>& options :
         std::vector<std::vector<std::string>>{{}, {"--code-page", "932"}}) {
        SCOPED_TRACE(::testing::PrintToString(options));
        std::vector<std::string> toFile = options, piped = options;
        toFile.insert(toFile.end(), {"-o", "file.dxf", "in.csv"});
        piped.insert(piped.end(), {"--output", "-", "-"});
        ASSERT_EQ(runConverter(dir, toFile).exitCode, 0);
        Outcome run = runConverter(dir, piped, "C", dir / "in.csv");
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::string expected = readFile(dir / "file.dxf");
        if (!options.empty()) {
            // Nothing in a pipe can be written over: the extents are the widest there are.
            const std::size_t begin = expected.find("  9\r\n$EXTMIN");
            const std::size_t end = expected.find("  0\r\nENDSEC");
            ASSERT_LT(begin, end);
            expected.replace(begin, end - begin,
                             "  9\r\n$EXTMIN\r\n 10\r\n-1073741824 \r\n 20\r\n-2147516416 \r\n"
                             " 30\r\n0.0\r\n  9\r\n$EXTMAX\r\n 10\r\n 1073741823 \r\n"
                             " 20\r\n 2147516415 \r\n 30\r\n0.0\r\n");
        }
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(run.err, "処理した文字数 : 3\n処理終了\n");
        fs::remove(dir.path() / "file.dxf");
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.csv"});
}

TEST(ConverterProgramTest, FailedRunIntoAPipeExitsWithTheErrorOnStandardError) {
    TempDir dir;
    writeFile(dir / "in.csv", "a\r\n" + std::string(32768, 'x'));
    Outcome run = runConverter(dir, {"-o", "-", "in.csv"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("実行時エラー 6"), std::string::npos) << run.err;
    // A block written before the error would already be in the pipe; a whole drawing never.
    EXPECT_EQ(run.out.find("EOF"), std::string::npos) << run.out;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.csv"});
}

} // namespace
} // namespace quillet::testing
