// The form logic through a fake window: the event chain, the names proposed, what 開く opens,
// failures that leave the window usable, and the lists following the folder.
#include "form/Form.h"
#include "FakeView.h"
#include "TestSupport.h"
#include "form/DirectoryList.h"
#include "platform/FolderListing.h"
#include "platform/OsError.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace quillet::form {
namespace {

using quillet::testing::FakeView;
using quillet::testing::readFile;
using quillet::testing::TempDir;
using quillet::testing::writeFile;

const std::string kReport3 = "処理した文字数 : 3\r\n処理終了\r\n";

class FormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile(dir / "data.csv", "A,B\r\nC\r\n");
        writeFile(dir / "one.csv", "Z");
        writeFile(dir / ".hidden", "x");
        std::filesystem::create_directory(dir.path() / "sub");
        writeFile(dir / "sub/inner.csv", "S,T,U");
        folder = platform::absoluteFolder(dir.str());
        drives = {rootOf(folder), folder};
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        form.Form_Load();
        view.log.clear();
    }
    void TearDown() override { std::filesystem::current_path(previous); }

    // Presses a 実行 button and shows what the run posts until it is over.
    void run(void (Form::*button)() = &Form::cmdCul1_Click) {
        (form.*button)();
        ASSERT_TRUE(view.finishRun(form));
    }

    std::string path(std::string_view name) const { return platform::entryPath(folder, name); }
    // Clicks name in File1 (or File2) as the user does.
    void click(ControlId list, const std::string& name) {
        const auto& names = view.files.at(list);
        const auto at = std::find(names.begin(), names.end(), name);
        ASSERT_NE(at, names.end()) << name;
        const auto index = std::size_t(at - names.begin());
        list == ControlId::File1 ? form.File1_Click(index) : form.File2_Click(index);
    }

    TempDir dir;
    TempDir other;
    std::string folder;
    std::vector<std::string> drives;
    std::filesystem::path previous;
    FakeView view;
    Form form{view, [this] { return drives; }};
};

TEST_F(FormTest, LoadShowsTheCurrentFolderOnItsDrive) {
    FakeView fresh;
    Form started(fresh, [this] { return drives; });
    started.Form_Load();
    const std::vector<std::string> calls{"showDrives", "showFolder " + folder, "showFiles File1",
                                         "showFiles File2"};
    EXPECT_EQ(fresh.log, calls);
    EXPECT_EQ(fresh.drive, folder);
    const std::vector<std::string> files{"data.csv", "one.csv"};
    EXPECT_EQ(fresh.files[ControlId::File1], files);
    EXPECT_EQ(fresh.files[ControlId::File2], files);
    EXPECT_EQ(fresh.chosenIn(ControlId::File1), "");
    EXPECT_TRUE(fresh.captions.empty());
}

// Drive, then Dir1, then File1 and File2, each to the same folder; nothing stays chosen.
TEST_F(FormTest, EachFolderChangeMovesDir1ThenBothLists) {
    writeFile(other / "other.csv", "O");
    const std::string otherFolder = platform::absoluteFolder(other.str());
    click(ControlId::File2, "one.csv");
    for (auto change : {+[](Form&f, const std::string&to) { f.Drive1_Change(to); },
                        +[](Form&f, const std::string&to) { f.Dir1_Change(to); }}) {
        for (const std::string& to : {otherFolder, path("sub")}) {
            view.log.clear();
            change(form, to);
            const std::vector<std::string> calls{"showFolder " + to, "showFiles File1",
                                                 "showFiles File2"};
            EXPECT_EQ(view.log, calls);
            EXPECT_EQ(form.dir1Path(), to);
            EXPECT_EQ(view.files[ControlId::File1], view.files[ControlId::File2]);
            EXPECT_EQ(form.toOpen(), "");
        }
    }
    EXPECT_EQ(view.files[ControlId::File1], std::vector<std::string>{"inner.csv"});
    // The folder shown already opens nothing again.
    view.log.clear();
    form.Dir1_Change(path("sub"));
    EXPECT_TRUE(view.log.empty());
}

TEST_F(FormTest, ChoosingAFileProposesItsDrawing) {
    view.boxes[ControlId::txtFileS] = "mine.dxf";
    click(ControlId::File1, "one.csv");
    EXPECT_EQ(view.boxes[ControlId::txtFileName], "one.csv");
    EXPECT_EQ(view.boxes[ControlId::txtFileS], "one.csv.dxf");
    // A click in File2 changes no box.
    click(ControlId::File2, "data.csv");
    EXPECT_EQ(view.boxes[ControlId::txtFileName], "one.csv");
    EXPECT_EQ(form.toOpen(), "data.csv");
}

TEST(RunInputs, NamesChosenAndLeftAsShownGoAsTheirBytes) {
    const ChosenFile cp932{"テスト.csv", "\x83\x65\x83\x58\x83\x67.csv"};
    struct Case {
        const char* name;
        std::string input;
        std::string output;
        ChosenFile chosen;
        std::string inputName;
        std::string outputName;
    };
    const Case cases[] = {
        {"as shown", "テスト.csv", "テスト.csv.dxf", cp932, cp932.bytes, cp932.bytes + ".dxf"},
        {"input typed over", "x.csv", "テスト.csv.dxf", cp932, "x.csv", cp932.bytes + ".dxf"},
        {"output typed over", "テスト.csv", "out.dxf", cp932, cp932.bytes, "out.dxf"},
        {"nothing chosen", "テスト.csv", "テスト.csv.dxf", {}, "テスト.csv", "テスト.csv.dxf"},
    };
    for (const Case& c : cases) {
        const conversion::RunInputs inputs = runInputs("/f", c.input, c.output, "250", c.chosen);
        EXPECT_EQ(inputs.directory, "/f") << c.name;
        EXPECT_EQ(inputs.inputName, c.inputName) << c.name;
        EXPECT_EQ(inputs.outputName, c.outputName) << c.name;
        EXPECT_EQ(inputs.heightText, "250") << c.name;
    }
}

TEST(MessageFor, NamesTheFileAsTheListsShowIt) {
    const platform::RunError error(platform::ErrorNumber::Overflow,
                                   "/f/\x83\x65\x83\x58\x83\x67.csv", 2);
    // With the system's own separators: "\\f\\テスト.csv" on Windows.
    EXPECT_EQ(messageFor(error), "実行時エラー 6: オーバーフローしました。 (" +
                                     platform::nativeSeparators("/f/テスト.csv") + ", 2 行目)");
}

TEST_F(FormTest, RunWritesTheDrawingReportsAndChoosesIt) {
    click(ControlId::File1, "data.csv");
    run();
    EXPECT_TRUE(view.errors.empty());
    // The drawing the engine writes for the same input.
    conversion::ConversionState state;
    conversion::convertFile(path("data.csv"), other / "expected.dxf", "100", {}, state);
    EXPECT_EQ(readFile(path("data.csv.dxf")), readFile(other / "expected.dxf"));
    // A short run shows its report alone, no progress before it.
    EXPECT_EQ(view.reports, std::vector<std::string>{kReport3});
    const std::vector<std::string> captions{"読み込み中です・・・", "ファイル操作"};
    EXPECT_EQ(view.captions, captions);
    // The new drawing is listed at once, chosen in File2, and 開く opens it.
    EXPECT_EQ(view.chosenIn(ControlId::File2), "data.csv.dxf");
    EXPECT_EQ(view.chosenIn(ControlId::File1), "data.csv");
    view.boxes[ControlId::txtFileS] = "other.dxf";
    form.cmdOpen_Click();
    EXPECT_EQ(view.previews, std::vector<std::string>{path("data.csv.dxf")});

    run(&Form::cmdCul2_Click);
    EXPECT_NE(readFile(path("other.dxf")).find("$DWGCODEPAGE"), std::string::npos);
}

// What 開く opens: File2's choice, else the output box's drawing, always in Dir1's folder.
TEST_F(FormTest, OpenTakesFile2sChoiceElseTheOutputBox) {
    view.boxes[ControlId::txtFileS] = "typed.dxf";
    form.cmdOpen_Click();
    click(ControlId::File2, "one.csv");
    form.cmdOpen_Click();
    form.Dir1_Change(path("sub"));
    form.cmdOpen_Click();
    const std::vector<std::string> opened{path("typed.dxf"), path("one.csv"),
                                          platform::entryPath(path("sub"), "typed.dxf")};
    EXPECT_EQ(view.previews, opened);
}

TEST_F(FormTest, AFailedRunLeavesTheWindowUsable) {
    writeFile(dir / "long.csv", "a\r\n" + std::string(40000, 'x'));
    writeFile(dir / "wide.csv", "a\r\n" + std::string(40, '\n') + "b\r\n");
    // Both boxes keep the line; the advice follows on a line of its own in both.
    struct Case {
        const char* input;
        const char* height;
        int number;
        std::string mentions;
        std::string line;
        std::string advice;
    };
    const Case cases[] = {
        {"missing.csv", "100", 53, "missing.csv", "", ""},
        {"data.csv", "abc", 13, "", "", ""},
        {"data.csv", "", 13, "", "", ""},
        {"data.csv", "32768", 6, "", "", ""},
        {"long.csv", "100", 6, "", "2 行目", "この行は 40000 文字あります。"},
        {"wide.csv", "1000", 6, "", "42 行目",
         "41 列目の X 座標が -32768～32767 を超えました。文字の高さ 1000 では 4 列までです。"},
        {"", "100", 75, "", "", "入力ファイル名が空です。"},
    };
    for (const Case& c : cases) {
        view.captions.clear();
        view.errors.clear();
        view.boxes[ControlId::txtFileName] = c.input;
        view.boxes[ControlId::txtFileS] = "fresh.dxf";
        view.boxes[ControlId::txtFileR] = c.height;
        run();
        const std::string headline =
            platform::RunError(static_cast<platform::ErrorNumber>(c.number)).headline();
        ASSERT_EQ(view.errors.size(), 1u) << c.input;
        const std::string& message = view.errors[0];
        EXPECT_TRUE(message.starts_with(headline)) << message;
        EXPECT_TRUE(view.report.starts_with(headline)) << view.report;
        for (const std::string& part : {c.mentions, c.line, c.advice})
            EXPECT_NE(message.find(part), std::string::npos) << message;
        for (const std::string& part : {c.line, c.advice})
            EXPECT_NE(view.report.find(part), std::string::npos) << view.report;
        if (!c.advice.empty()) {
            EXPECT_NE(message.find("\n" + c.advice), std::string::npos) << message;
            EXPECT_NE(view.report.find("\r\n" + c.advice), std::string::npos) << view.report;
        }
        EXPECT_EQ(view.captions.back(), "ファイル操作");
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "fresh.dxf"));
    }
    view.boxes[ControlId::txtFileName] = "data.csv";
    view.boxes[ControlId::txtFileR] = "100";
    run();
    EXPECT_EQ(view.report, kReport3);
}

TEST_F(FormTest, AFolderThatIsNotReadyIsReportedAndThePreviousOneKept) {
    const std::string gone = path("unplugged");
    form.Drive1_Change(gone);
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_TRUE(view.errors[0].starts_with("実行時エラー 76:")) << view.errors[0];
    EXPECT_NE(view.errors[0].find("unplugged"), std::string::npos);
    // The drive list and the tree go back; the lists are not touched.
    const std::vector<std::string> back{"showError", "showFolder " + folder,
                                        "chooseDrive " + folder};
    EXPECT_EQ(view.log, back);
    EXPECT_EQ(form.drive1Drive(), folder);

    // From the tree the view stays where the user put it, so that the keys move on past it.
    view.log.clear();
    form.Dir1_Change(path("one.csv"));
    EXPECT_EQ(view.log, std::vector<std::string>{"showError"});
    EXPECT_EQ(form.dir1Path(), folder);
    click(ControlId::File1, "data.csv");
    run();
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "data.csv.dxf"));
}

TEST_F(FormTest, TheListsFollowTheFolderKeepingTheirChoice) {
    click(ControlId::File1, "one.csv");
    view.log.clear();
    form.tick();
    EXPECT_TRUE(view.log.empty());
    // Past the clock's step, so that the folder's times tell the change.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    writeFile(dir / "new.csv", "N");
    form.tick();
    const std::vector<std::string> files{"data.csv", "new.csv", "one.csv"};
    EXPECT_EQ(view.files[ControlId::File1], files);
    EXPECT_EQ(view.files[ControlId::File2], files);
    EXPECT_EQ(view.chosenIn(ControlId::File1), "one.csv");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::filesystem::remove(dir.path() / "one.csv");
    form.tick();
    EXPECT_EQ(view.chosenIn(ControlId::File1), "");
    EXPECT_EQ(view.files[ControlId::File1].size(), 2u);
}

// A tick that comes while an event's message box is up (its loop runs timers) waits for the
// next one; the lists then follow.
TEST_F(FormTest, ATickWaitsWhileAnEventIsUnderWay) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    view.duringError = [&] {
        writeFile(dir / "new.csv", "N");
        view.log.push_back("tick");
        form.tick();
    };
    form.openGiven(path("gone.csv"));
    // Nothing listed after the tick inside the box.
    ASSERT_GE(view.log.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(view.log.end() - 2, view.log.end()),
              (std::vector<std::string>{"showError", "tick"}));
    view.duringError = nullptr;
    form.tick();
    EXPECT_EQ(view.files[ControlId::File1],
              (std::vector<std::string>{"data.csv", "new.csv", "one.csv"}));
}

// A folder newly shown starts at the top of both lists; the same one listed again leaves them
// where the user put them.
TEST_F(FormTest, ListsKeepTheirPlaceOnlyInTheSameFolder) {
    EXPECT_EQ(view.places[ControlId::File1], ListPlace::Top);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    writeFile(dir / "new.csv", "N");
    form.tick();
    EXPECT_EQ(view.places[ControlId::File1], ListPlace::Kept);
    EXPECT_EQ(view.places[ControlId::File2], ListPlace::Kept);
    click(ControlId::File1, "data.csv");
    run();
    EXPECT_EQ(view.places[ControlId::File2], ListPlace::Kept);
    form.Dir1_Change(path("sub"));
    EXPECT_EQ(view.places[ControlId::File1], ListPlace::Top);
    EXPECT_EQ(view.places[ControlId::File2], ListPlace::Top);
}

// Drive1 shows each drive's caption; choosing the drive chosen already opens nothing, and the
// folder shown on it stays.
TEST_F(FormTest, TheDriveChosenAlreadyOpensNothing) {
    form.Dir1_Change(path("sub"));
    view.log.clear();
    form.Drive1_Change(folder);
    EXPECT_TRUE(view.log.empty());
    EXPECT_EQ(form.dir1Path(), path("sub"));
    form.Drive1_DropDown();
    ASSERT_EQ(view.driveCaptions.size(), drives.size());
    for (std::size_t i = 0; i < drives.size(); ++i)
        EXPECT_EQ(view.driveCaptions[i], driveCaption(drives[i]));
}

TEST_F(FormTest, DrivesAreReadAgainWhenTheListOpens) {
    drives = {rootOf(folder), folder + "-stick", folder};
    form.Drive1_DropDown();
    EXPECT_EQ(view.drives, drives);
    EXPECT_EQ(view.drive, folder);
    // The chosen drive went away: the first is chosen, and the folder shown stays.
    drives = {rootOf(folder)};
    form.Drive1_DropDown();
    EXPECT_EQ(view.drive, rootOf(folder));
    EXPECT_EQ(form.dir1Path(), folder);
}

TEST_F(FormTest, AFileGivenAtStartIsChosenOrPreviewed) {
    FakeView fresh;
    Form started(fresh, [this] { return drives; });
    started.Form_Load();
    started.openGiven("sub/../one.csv");
    EXPECT_TRUE(fresh.errors.empty());
    EXPECT_EQ(fresh.chosenIn(ControlId::File1), "one.csv");
    EXPECT_EQ(fresh.boxes[ControlId::txtFileName], "one.csv");
    EXPECT_EQ(fresh.boxes[ControlId::txtFileS], "one.csv.dxf");

    started.openGiven("sub/inner.csv");
    EXPECT_EQ(started.dir1Path(), path("sub"));
    EXPECT_EQ(fresh.chosenIn(ControlId::File1), "inner.csv");

    started.openGiven(path("missing.csv"));
    ASSERT_EQ(fresh.errors.size(), 1u);
    EXPECT_TRUE(fresh.errors[0].starts_with("実行時エラー 53:")) << fresh.errors[0];

    started.openGiven("Plan.DXF");
    EXPECT_EQ(fresh.previews, std::vector<std::string>{path("Plan.DXF")});
}

TEST(ProgressText, SaysHowFarTheRunHasCome) {
    struct Case {
        conversion::RunProgress progress;
        std::string text;
    };
    const Case cases[] = {
        {{12'345'678, 200'000'000, 123456},
         "読み込み中 : 12.3 MB / 200.0 MB、配置した文字数 : 123456"},
        {{0, 0, 0}, "読み込み中 : 0.0 MB / 0.0 MB、配置した文字数 : 0"},
        {{1'049'999, -1, 7}, "読み込み中 : 1.0 MB、配置した文字数 : 7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(progressText(c.progress), c.text);
}

// A run long enough to be seen: progress in the report box, the window's own procedures
// answered meanwhile, its report last.
TEST_F(FormTest, ALongRunShowsProgressThenItsReport) {
    std::string lines;
    for (int i = 0; i < 300'000; ++i)
        lines += "PIPE-" + std::to_string(i) + ",DN50\r\n";
    writeFile(dir / "big.csv", lines);
    view.captions.clear();
    form.setProgressPacing(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    view.boxes[ControlId::txtFileName] = "big.csv";
    view.boxes[ControlId::txtFileS] = "big.csv.dxf";
    view.holdNextPost(std::chrono::milliseconds(300));
    form.cmdCul1_Click();
    ASSERT_TRUE(view.waitHeld());
    EXPECT_TRUE(form.running());
    // The window goes on answering, and a second run is refused with a note.
    click(ControlId::File1, "one.csv");
    EXPECT_EQ(view.boxes[ControlId::txtFileName], "one.csv");
    form.cmdCul2_Click();
    EXPECT_TRUE(view.report.ends_with(std::string(kBusyNote) + "\r\n")) << view.report;
    ASSERT_TRUE(view.finishRun(form));

    std::vector<std::string> progress;
    for (const std::string& report : view.reports)
        if (report.starts_with("読み込み中 : "))
            progress.push_back(report);
    ASSERT_GE(progress.size(), 2u);
    const auto size = std::int64_t(lines.size());
    EXPECT_EQ(progress.back(),
              progressText({size, size, 600'000}) + "\r\n" + std::string(kBusyNote) + "\r\n");
    EXPECT_EQ(view.report, "処理した文字数 : 600000\r\n処理終了\r\n");
    const std::vector<std::string> captions{"読み込み中です・・・", "ファイル操作"};
    EXPECT_EQ(view.captions, captions);
    // The refused press started nothing.
    EXPECT_FALSE(form.running());
    EXPECT_EQ(view.runPosted(std::chrono::milliseconds(50)), 0u);
}

// 終了 and closing the window during a run: nothing asked, the run ended, the folder as it
// was (the old drawing untouched, no new file).
TEST_F(FormTest, ExitOrCloseDuringARunLeavesTheFolderAsItWas) {
    std::string lines;
    for (int i = 0; i < 300'000; ++i)
        lines += "PIPE-" + std::to_string(i) + ",DN50\r\n";
    writeFile(dir / "big.csv", lines);
    writeFile(dir / "big.csv.dxf", "edited in CAD");
    for (bool exit : {true, false}) {
        const std::vector<std::string> before = dir.entries();
        FakeView window;
        Form running(window, [this] { return drives; });
        running.Form_Load();
        running.setProgressPacing(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
        window.boxes[ControlId::txtFileName] = "big.csv";
        window.boxes[ControlId::txtFileS] = "big.csv.dxf";
        window.holdNextPost(std::chrono::milliseconds(300));
        running.cmdCul1_Click();
        ASSERT_TRUE(window.waitHeld());
        exit ? running.cmdExit_Click() : running.Form_Unload();
        EXPECT_FALSE(running.running());
        EXPECT_EQ(window.quitted, exit);
        EXPECT_TRUE(window.errors.empty());
        EXPECT_EQ(dir.entries(), before);
        EXPECT_EQ(readFile(dir / "big.csv.dxf"), "edited in CAD");
        // What the run posted before it ended shows nothing.
        const std::size_t reports = window.reports.size();
        window.runPosted(std::chrono::milliseconds(50));
        EXPECT_EQ(window.reports.size(), reports);
    }
}

TEST_F(FormTest, ExitEndsTheProgram) {
    form.cmdExit_Click();
    EXPECT_TRUE(view.quitted);
}

} // namespace
} // namespace quillet::form
