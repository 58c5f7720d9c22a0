// Runs over real files: what lands on disk, and what the window is shown.
#include "MemoryRun.h"
#include "TestSupport.h"

#include "conversion/Run.h"
#include "platform/AbsolutePath.h"

#include <atomic>
#include <filesystem>

namespace quillet::testing {
namespace {

namespace fs = std::filesystem;

const std::string kInput = "a,b\r\nc\r\n\r\nd";
const std::string kDrawing = dxfOf(textEntity(0, 0, 100, "b") + textEntity(0, -200, 100, "a") +
                                   textEntity(0, -400, 100, "c") + textEntity(1000, 0, 100, "d"));

std::int64_t convert(const std::string& in, const std::string& out,
                     std::string_view height = "100") {
    conversion::ConversionState state;
    return conversion::convertFile(in, out, height, {}, state).placed;
}

TEST(ConvertFileTest, WritesDrawingAndNothingElse) {
    TempDir dir;
    writeFile(dir / "in.csv", kInput);
    EXPECT_EQ(convert(dir / "in.csv", dir / "in.csv.dxf"), 4);
    EXPECT_EQ(readFile(dir / "in.csv.dxf"), kDrawing);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.csv", "in.csv.dxf"}));
}

TEST(ConvertFileTest, FileGivesSameBytesAsMemory) {
    TempDir dir;
    // Big enough for several of the writer's blocks, with double-byte text.
    std::string input;
    for (int line = 0; line < 30000; ++line)
        input += "\x93\xFA\x96\x7B," + std::to_string(line) + ",\x95\x5C\r\n" +
                 (line % 1000 == 999 ? "\r\n" : "");
    writeFile(dir / "in.csv", input);
    EXPECT_EQ(convert(dir / "in.csv", dir / "out.dxf", "7"), 90000);
    const std::string bytes = readFile(dir / "out.dxf");
    EXPECT_GT(bytes.size(), 3u * 1024 * 1024);
    EXPECT_TRUE(bytes == convertText(input, 7).bytes);
}

TEST(ConvertFileTest, ReplacesExistingOutput) {
    TempDir dir;
    writeFile(dir / "in.csv", kInput);
    writeFile(dir / "out.dxf", std::string(100000, 'z'));
    convert(dir / "in.csv", dir / "out.dxf");
    EXPECT_EQ(readFile(dir / "out.dxf"), kDrawing);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.csv", "out.dxf"}));
}

TEST(ConvertFileTest, HeightTextIsRoundedDown) {
    TempDir dir;
    writeFile(dir / "in.csv", "x");
    const std::pair<std::string, int> heights[] = {
        {"100.5", 100}, {"101.5", 101}, {"-0.5", -1}, {" 100 ", 100}, {"１００", 100}};
    for (const auto& [text, height] : heights) {
        convert(dir / "in.csv", dir / "out.dxf", text);
        EXPECT_EQ(readFile(dir / "out.dxf"), dxfOf(textEntity(0, 0, height, "x"))) << text;
    }
}

TEST(ConvertFileTest, SeparatorsComeFromCaller) {
    TempDir dir;
    writeFile(dir / "in.csv", "x");
    conversion::ConversionState state;
    conversion::convertFile(dir / "in.csv", dir / "out.dxf", "1.234,5", {",", "."}, state);
    EXPECT_EQ(readFile(dir / "out.dxf"), dxfOf(textEntity(0, 0, 1234, "x")));
    EXPECT_EQ(state.textHeight, 1234);
}

TEST(ComposePathTest, OneSlashBetweenFolderAndName) {
    EXPECT_EQ(conversion::composePath("dir", "in.csv"), "dir/in.csv");
    EXPECT_EQ(conversion::composePath("dir/", "in.csv"), "dir/in.csv");
    EXPECT_EQ(conversion::composePath("/", "in.csv"), "/in.csv");
    EXPECT_EQ(conversion::composePath("/a/b", "in.csv"), "/a/b/in.csv");
    // Names are taken as typed.
    EXPECT_EQ(conversion::composePath("dir", " in.csv "), "dir/ in.csv ");
    EXPECT_EQ(conversion::composePath("dir", ""), "dir/");
}

TEST(ComposePathTest, PathOfItsOwnIsUsedAsItIs) {
    using platform::PathStyle;
    const struct {
        std::string_view name;
        bool posix;
        bool windows;
    } cases[] = {
        {"/data/out/x.dxf", true, true}, // on Windows: the current drive's root
        {"x.dxf", false, false},
        {"sub/x.dxf", false, false},
        {"./x.dxf", false, false},
        {"../x.dxf", false, false},
        {"", false, false},
        {" /x.dxf", false, false},
        {"C:\\out\\x.dxf", false, true},
        {"c:/out/x.dxf", false, true},
        {"C:x.dxf", false, false}, // relative to the drive's current folder
        {"C:", false, false},
        {"1:\\x.dxf", false, false},
        {"\\\\server\\share\\x.dxf", false, true},
        {"//server/share/x.dxf", true, true},
        {"\\\\?\\C:\\x.dxf", false, true},
        {"\\x.dxf", false, true},
        {"図面\\x.dxf", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        EXPECT_EQ(platform::isAbsolutePath(c.name, PathStyle::Posix), c.posix);
        EXPECT_EQ(platform::isAbsolutePath(c.name, PathStyle::Windows), c.windows);
    }
    // The folder is not glued on, for the output name or the input name.
    const std::string own = platform::isAbsolutePath("C:\\x.dxf") ? "C:\\x.dxf" : "/data/x.dxf";
    EXPECT_EQ(conversion::composePath("/data/ro", own), own);
    EXPECT_EQ(conversion::composePath("/data/ro", "x.dxf"), "/data/ro/x.dxf");
}

class RecordingView final : public conversion::RunView {
  public:
    void setCaption(std::string_view caption) override { captions.emplace_back(caption); }
    void setReport(std::string_view report) override { reports.emplace_back(report); }
    std::vector<std::string> captions;
    std::vector<std::string> reports;
};

TEST(RunConversionTest, AbsoluteOutputNameWritesThere) {
    TempDir dir;
    TempDir elsewhere;
    writeFile(dir / "in.csv", kInput);
    conversion::ConversionState state;
    RecordingView view;
    conversion::runConversion({dir.str(), dir / "in.csv", elsewhere / "out.dxf", "100"}, {}, state,
                              view);
    EXPECT_EQ(readFile(elsewhere / "out.dxf"), kDrawing);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.csv"});
}

TEST(RunConversionTest, ShowsCaptionsAndReport) {
    TempDir dir;
    writeFile(dir / "in.csv", kInput);
    conversion::ConversionState state;
    RecordingView view;
    for (std::string folder : {dir.str(), dir.str() + "/"}) {
        view.captions.clear();
        view.reports.clear();
        conversion::runConversion({folder, "in.csv", "out.dxf", "100"}, {}, state, view);
        EXPECT_EQ(view.captions,
                  (std::vector<std::string>{"読み込み中です・・・", "ファイル操作"}));
        EXPECT_EQ(view.reports, (std::vector<std::string>{"処理した文字数 : 4\r\n処理終了\r\n"}));
        EXPECT_EQ(readFile(dir / "out.dxf"), kDrawing);
    }
}

TEST(RunConversionTest, SecondRunStartsCountersOver) {
    TempDir dir;
    writeFile(dir / "in.csv", kInput);
    writeFile(dir / "one.csv", "x");
    conversion::ConversionState state;
    RecordingView view;
    conversion::runConversion({dir.str(), "in.csv", "out.dxf", "100"}, {}, state, view);
    conversion::runConversion({dir.str(), "one.csv", "one.dxf", "50"}, {}, state, view);
    EXPECT_EQ(readFile(dir / "one.dxf"), dxfOf(textEntity(0, 0, 50, "x")));
    EXPECT_EQ(view.reports.back(), "処理した文字数 : 1\r\n処理終了\r\n");
    EXPECT_EQ(state.blockNo, 0);
    EXPECT_EQ(state.itemNo, 1);
}

TEST(RunConversionTest, FailedRunKeepsReadingCaptionAndNoReport) {
    TempDir dir;
    writeFile(dir / "in.csv", kInput);
    conversion::ConversionState state;
    RecordingView view;
    EXPECT_RUN_ERROR(
        conversion::runConversion({dir.str(), "in.csv", "out.dxf", "abc"}, {}, state, view), 13);
    EXPECT_EQ(view.captions, std::vector<std::string>{"読み込み中です・・・"});
    EXPECT_TRUE(view.reports.empty());
    // An empty input name leaves only the folder, which cannot be read as a file.
    EXPECT_RUN_ERROR(conversion::runConversion({dir.str(), "", "out.dxf", "100"}, {}, state, view),
                     75);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.csv"});
}

// curLine is the line read last, after the run and after a failed one, also when the reader
// has moved on past its buffer (the lines here span several reads).
TEST(RunConversionTest, CurLineHoldsLineReadLast) {
    TempDir dir;
    std::string filler;
    for (int i = 0; i < 300; ++i)
        filler += std::string(1023, 'f') + "\n";
    struct Case {
        std::string input;
        std::string lastLine;
    };
    const Case cases[] = {
        {filler + "last,one", "last,one"},
        {filler + "last,one\r\n", "last,one"},
        {filler + filler + "x\r\n\r\n", ""},
        {"a\r\n" + std::string(40000, 'z'), std::string(40000, 'z')}, // the overflow's line
    };
    for (const Case& c : cases) {
        writeFile(dir / "in.csv", c.input);
        conversion::ConversionState state;
        try {
            conversion::convertFile(dir / "in.csv", dir / "out.dxf", "100", {}, state);
        } catch (const platform::RunError&) {
        }
        EXPECT_EQ(state.curLine.size(), c.lastLine.size());
        EXPECT_TRUE(state.curLine == c.lastLine);
    }
}

} // namespace
} // namespace quillet::testing

namespace quillet::testing {
namespace {

// An input of several megabytes: progress comes more than once.
std::string longInput() {
    std::string input;
    for (int line = 0; line < 200000; ++line)
        input += "field," + std::to_string(line) + "\r\n" + (line % 1000 == 999 ? "\r\n" : "");
    return input;
}

TEST(RunControlTest, ProgressCountsBytesReadAndTextsPlaced) {
    TempDir dir;
    const std::string input = longInput();
    writeFile(dir / "in.csv", input);
    std::vector<conversion::RunProgress> seen;
    conversion::RunControl control;
    control.progress = [&](const conversion::RunProgress& p) { seen.push_back(p); };
    conversion::ConversionState state;
    const auto result =
        conversion::convertFile(dir / "in.csv", dir / "out.dxf", "10", {}, state, {}, control);
    ASSERT_GE(seen.size(), 3u);
    const auto size = static_cast<std::int64_t>(input.size());
    for (std::size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GE(seen[i].bytesRead, seen[i - 1].bytesRead);
        EXPECT_GE(seen[i].placed, seen[i - 1].placed);
        EXPECT_EQ(seen[i].totalBytes, size);
    }
    // Not once a line: a report about every megabyte, and one at the end.
    EXPECT_LE(seen.size(), input.size() / (1024 * 1024) + 2);
    EXPECT_EQ(seen.back().bytesRead, size);
    EXPECT_EQ(seen.back().placed, result.placed);
    EXPECT_EQ(result.placed, 400000);
}

// Ended while it reads, or at the last moment before the drawing takes its name: the folder
// is as it was.
TEST(RunControlTest, CancelledRunLeavesTheFolderAsItWas) {
    for (const bool atTheEnd : {false, true}) {
        SCOPED_TRACE(atTheEnd ? "at the end" : "while reading");
        TempDir dir;
        writeFile(dir / "in.csv", longInput());
        writeFile(dir / "out.dxf", "the drawing before");
        std::atomic<bool> cancel = false;
        conversion::RunControl control;
        control.backup = true;
        control.cancel = &cancel;
        int reports = 0;
        control.progress = [&](const conversion::RunProgress& p) {
            ++reports;
            if (!atTheEnd || p.bytesRead == p.totalBytes)
                cancel = true;
        };
        conversion::ConversionState state;
        EXPECT_THROW(
            conversion::convertFile(dir / "in.csv", dir / "out.dxf", "10", {}, state, {}, control),
            conversion::RunCancelled);
        if (!atTheEnd) {
            EXPECT_EQ(reports, 1);
        }
        EXPECT_EQ(readFile(dir / "out.dxf"), "the drawing before");
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.csv", "out.dxf"}));
        // A new name is not created either.
        EXPECT_THROW(
            conversion::convertFile(dir / "in.csv", dir / "new.dxf", "10", {}, state, {}, control),
            conversion::RunCancelled);
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.csv", "out.dxf"}));
    }
}

} // namespace
} // namespace quillet::testing
