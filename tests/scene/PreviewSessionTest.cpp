// The preview's logic through a fake window: how a read ends, the export's names, which
// programs may open a drawing, and one window a file.
#include "FakePreviewView.h"
#include "TestSupport.h"

#include "platform/FolderListing.h"
#include "scene/PreviewRegistry.h"
#include "scene/PreviewSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

using namespace quillet::scene;
using quillet::testing::dxfOf;
using quillet::testing::FakePreviewView;
using quillet::testing::TempDir;
using quillet::testing::textEntity;
using quillet::testing::writeFile;

std::string twoTexts() {
    return dxfOf(textEntity(0, 0, 100, "配管") + textEntity(1000, 0, 100, "東京"));
}

// Enough texts that a read is still going when the test cancels it.
const std::string& largeDrawing() {
    static const std::string bytes = [] {
        std::string entities;
        for (int i = 0; i < 300000; ++i)
            entities += textEntity(i % 1000, i / 1000, 10, "abc");
        return dxfOf(entities);
    }();
    return bytes;
}

// A toolkit whose PNG is its view's size in a line of text.
class FakeToolkit final : public ExportFrontEnd {
  public:
    TextMeasure textMeasure() const override {
        return [](std::u16string_view text) { return 0.6 * double(text.size()); };
    }
    std::string png(const quillet::drawing::Drawing&, const ViewTransform& view) const override {
        return "PNG " + std::to_string(int(view.size.width)) + "x" +
               std::to_string(int(view.size.height));
    }
};

const FakeToolkit toolkit;

// A window with its session, as a front end makes them.
struct Window {
    FakePreviewView view;
    std::unique_ptr<PreviewSession> session;

    explicit Window(const std::string& path, std::vector<std::string> own = {}) {
        PreviewEnvironment environment;
        environment.toolkit = &toolkit;
        environment.ownApplications = std::move(own);
        session = std::make_unique<PreviewSession>(view, path, std::move(environment));
    }

    // Polls as the window's timer does until the read has ended.
    void finishRead() {
        for (int i = 0; i < 4000 && session->loading(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            session->poll();
        }
        ASSERT_FALSE(session->loading());
    }
};

TEST(PreviewSessionTest, AReadEndsAsItsOutcomeSays) {
    enum class Then { Nothing, Cancel, Break, Remove };
    struct Case {
        const char* name;
        bool firstRead; // else a reload of a drawing shown
        Then then;
        bool shown, closed;
        const char* error; // part of the one error shown, or none
    };
    const Case cases[] = {
        {"read", true, Then::Nothing, true, false, nullptr},
        {"first read cancelled", true, Then::Cancel, false, true, nullptr},
        {"first read of no drawing", true, Then::Break, false, true, "DXF"},
        {"first read of a file gone", true, Then::Remove, false, true, "実行時エラー 53"},
        {"reload", false, Then::Nothing, true, false, nullptr},
        {"reload cancelled", false, Then::Cancel, true, false, nullptr},
        {"reload of no drawing", false, Then::Break, true, false, "DXF"},
        {"reload of a file gone", false, Then::Remove, true, false, "実行時エラー 53"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir / "図面.dxf";
        writeFile(path, c.then == Then::Cancel ? largeDrawing() : twoTexts());
        Window window(path);
        EXPECT_EQ(window.view.title, "図面.dxf - Quillet プレビュー");
        if (!c.firstRead) {
            window.session->load();
            window.finishRead();
            ASSERT_TRUE(window.session->viewState().drawing());
        }
        if (c.then == Then::Break)
            writeFile(path, "配管,東京\r\n");
        if (c.then == Then::Remove)
            std::filesystem::remove(quillet::testing::pathOf(path));
        std::vector<bool> outcomes;
        window.session->onLoaded = [&](bool shown) { outcomes.push_back(shown); };
        window.session->load();
        EXPECT_TRUE(window.view.polling);
        EXPECT_TRUE(window.view.progressShown);
        if (c.firstRead) {
            EXPECT_EQ(window.view.message, kReadingText);
        }
        if (c.then == Then::Cancel)
            window.session->run(PreviewAction::Cancel);
        window.finishRead();

        EXPECT_EQ(outcomes, std::vector<bool>{c.shown && c.then != Then::Cancel &&
                                              c.then != Then::Break && c.then != Then::Remove});
        EXPECT_FALSE(window.view.polling);
        EXPECT_FALSE(window.view.progressShown);
        EXPECT_EQ(bool(window.session->viewState().drawing()), c.shown);
        EXPECT_EQ(window.view.closed, c.closed);
        ASSERT_EQ(window.view.errors.size(), c.error ? 1u : 0u);
        if (c.error) {
            EXPECT_NE(window.view.errors[0].find(c.error), std::string::npos)
                << window.view.errors[0];
        }
        if (c.shown) {
            // The status line says what is drawn, never the reading's text any more.
            EXPECT_EQ(window.view.status.rfind("文字 ", 0), 0u) << window.view.status;
            EXPECT_EQ(window.view.message, "");
        }
    }
}

TEST(PreviewSessionTest, ExportsUnderTheNameAndKindChosen) {
    TempDir dir;
    const std::string path = dir / "図面.dxf";
    writeFile(path, twoTexts());
    Window window(path);
    // Nothing to export before a drawing is shown: no dialog, and a call says why.
    window.session->run(PreviewAction::ExportView);
    EXPECT_TRUE(window.view.saveRequests.empty());
    EXPECT_EQ(window.session->exportTo(dir / "a.png", false), kNothingToExport);
    window.session->load();
    window.finishRead();

    std::filesystem::create_directory(quillet::testing::pathOf(dir / "v1.0"));
    struct Case {
        PreviewAction action;
        std::optional<SaveChoice> choice;
        std::string written; // "" when nothing is
        bool whole;
        const char* starts; // what the file starts with
    };
    const Case cases[] = {
        {PreviewAction::ExportView, SaveChoice{dir / "out", 0}, dir / "out.png", false, "PNG "},
        {PreviewAction::Export, SaveChoice{dir / "out", 1}, dir / "out.svg", false, "<?xml"},
        {PreviewAction::ExportWhole, SaveChoice{dir / "out", 2}, dir / "out.pdf", true, "%PDF"},
        // The name's own extension stands, whichever kind was chosen.
        {PreviewAction::ExportWhole, SaveChoice{dir / "whole.svg", 0}, dir / "whole.svg", true,
         "<?xml"},
        {PreviewAction::ExportView, SaveChoice{dir / "v1.0/.plan", 0}, dir / "v1.0/.plan.png",
         false, "PNG "},
        {PreviewAction::ExportView, std::nullopt, "", false, ""},
        // Never over the drawing itself, by whatever name.
        {PreviewAction::ExportView, SaveChoice{dir / "図面.dxf", 0}, "", false, ""},
    };
    for (const Case& c : cases) {
        window.view.saveChoice = c.choice;
        const std::vector<std::string> before = dir.entries();
        window.session->run(c.action);
        const SaveRequest& asked = window.view.saveRequests.back();
        EXPECT_EQ(asked.title, c.whole ? "図面全体を書き出し" : "表示範囲を書き出し");
        EXPECT_EQ(asked.proposed, dir / "図面.png");
        ASSERT_EQ(asked.filters.size(), 3u);
        EXPECT_EQ(asked.filters[0].suffix, "png");
        if (c.written.empty()) {
            EXPECT_EQ(dir.entries(), before);
            continue;
        }
        const std::string bytes = quillet::testing::readFile(c.written);
        EXPECT_EQ(bytes.rfind(c.starts, 0), 0u) << c.written;
        const std::string_view starts = c.starts;
        if (starts == "PNG ") {
            // The view as shown.
            const DeviceSize shown = window.session->viewState().transform().size;
            EXPECT_EQ(bytes, "PNG " + std::to_string(int(shown.width)) + "x" +
                                 std::to_string(int(shown.height)));
        } else {
            // Titled with the drawing's name (in UTF-16 in a PDF's information).
            EXPECT_NE(bytes.find(starts == "%PDF" ? "FEFF56F39762" : "図面.dxf"),
                      std::string::npos);
        }
    }
    ASSERT_EQ(window.view.errors.size(), 1u);
    EXPECT_NE(window.view.errors[0].find("実行時エラー 55"), std::string::npos);
    EXPECT_EQ(quillet::testing::readFile(path), twoTexts());
}

TEST(PreviewSessionTest, NeverHandsTheDrawingBackToQuillet) {
    const std::vector<std::string> own{"io.github.quillet.Quillet.desktop",
                                       "zz-quillet-open-with.desktop", "quillet.exe",
                                       "quillet-preview.exe"};
    const Application quillet{"io.github.quillet.Quillet.desktop", "Quillet", true};
    const Application openWith{"zz-quillet-open-with.desktop", "Quillet", false};
    const Application quilletExe{"C:/Program Files/Quillet/QUILLET.EXE", "Quillet", true};
    const Application librecad{"librecad.desktop", "LibreCAD", true};
    const Application viewer{"viewer.desktop", "Viewer", false};
    struct Case {
        const char* name;
        std::vector<Application> desktop;
        std::vector<std::string> starting;
        bool chooserPicks;
        std::vector<std::string> offered; // menu texts
        std::string started;              // "" when none is
        bool chooserAsked, error;
    };
    const Case cases[] = {
        {"Quillet the default",
         {quillet, librecad, openWith, viewer},
         {"librecad.desktop"},
         false,
         {"LibreCAD（既定）", "Viewer"},
         "librecad.desktop",
         false,
         false},
        {"Quillet's program by its path",
         {quilletExe, viewer},
         {"viewer.desktop"},
         false,
         {"Viewer"},
         "viewer.desktop",
         false,
         false},
        {"none but Quillet, a chooser", {quillet, openWith}, {}, true, {}, "", true, false},
        {"none but Quillet, no chooser", {quillet}, {}, false, {}, "", true, true},
        {"the default will not start", {librecad}, {}, false, {"LibreCAD（既定）"}, "", true, true},
    };
    TempDir dir;
    const std::string path = dir / "図面.dxf";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window window(path, own);
        window.view.desktop = c.desktop;
        window.view.starting = c.starting;
        window.view.chooserPicks = c.chooserPicks;
        std::vector<std::string> offered;
        for (const Application& app : window.session->applications())
            offered.push_back(PreviewSession::menuTextOf(app));
        EXPECT_EQ(offered, c.offered);
        window.session->run(PreviewAction::OpenDefault);
        EXPECT_EQ(window.view.started.empty() ? "" : window.view.started[0],
                  c.started.empty() ? ""
                                    : c.started + " " + quillet::platform::absoluteFolder(path));
        EXPECT_EQ(window.view.choosers, c.chooserAsked ? 1 : 0);
        EXPECT_EQ(window.view.errors,
                  c.error ? std::vector<std::string>{std::string(kNoOtherApplication)}
                          : std::vector<std::string>{});
    }
}

TEST(PreviewSessionTest, ExportNamesGetTheSuffixOnlyWhenTheyHaveNone) {
    struct Case {
        const char* path;
        const char* suffix;
        const char* named;
    };
    for (const Case c : {Case{"out", "png", "out.png"}, Case{"out.", "png", "out.png"},
                         Case{"out.svg", "png", "out.svg"}, Case{".plan", "pdf", ".plan.pdf"},
                         Case{"v1.0/out", "pdf", "v1.0/out.pdf"},
                         Case{"C:\\v1.0\\out", "svg", "C:\\v1.0\\out.svg"}})
        EXPECT_EQ(withSuffix(c.path, c.suffix), c.named) << c.path;
}

// The registry with windows that a test closes as the front end would.
struct Desktop {
    std::vector<std::unique_ptr<Window>> windows;
    std::vector<std::string> errors;
    bool makes = true;
    int lastClosed = 0;
    PreviewRegistry registry{[this](const std::string& path) -> PreviewSession* {
                                 if (!makes)
                                     return nullptr;
                                 windows.push_back(std::make_unique<Window>(path));
                                 return windows.back()->session.get();
                             },
                             [this](std::string_view message) { errors.emplace_back(message); }};

    Desktop() {
        registry.onLastClosed = [this] { ++lastClosed; };
    }
    // Destroys the windows that were told to close.
    void closeClosed() {
        std::erase_if(windows, [](const auto& w) { return w->view.closed; });
    }
};

TEST(PreviewRegistryTest, OneWindowAFileAndNoneForWhatIsNoDrawing) {
    TempDir dir;
    writeFile(dir / "図面.dxf", twoTexts());
    writeFile(dir / "input.csv", "配管,東京\r\n");
    std::filesystem::create_hard_link(quillet::testing::pathOf(dir / "図面.dxf"),
                                      quillet::testing::pathOf(dir / "link.dxf"));
    Desktop desktop;
    struct Case {
        std::string path;
        std::size_t windows;
        const char* error;
    };
    const Case cases[] = {
        {dir / "図面.dxf", 1, nullptr},
        {dir / "link.dxf", 1, nullptr}, // the same file: its window comes forward
        {dir / "ない.dxf", 1, "実行時エラー 53"},
        {dir / "input.csv", 1, "DXF 図面ではありません"},
        {dir.str(), 1, "実行時エラー 75"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        desktop.errors.clear();
        PreviewSession* session = desktop.registry.open(c.path);
        EXPECT_EQ(session != nullptr, c.error == nullptr);
        EXPECT_EQ(desktop.windows.size(), c.windows);
        EXPECT_EQ(desktop.registry.sessions().size(), c.windows);
        ASSERT_EQ(desktop.errors.size(), c.error ? 1u : 0u);
        if (c.error) {
            EXPECT_NE(desktop.errors[0].find(c.error), std::string::npos) << desktop.errors[0];
        }
    }
    // The refusal names the file as the lists show it.
    desktop.errors.clear();
    desktop.registry.open(dir / "input.csv");
    EXPECT_NE(desktop.errors[0].find("input.csv"), std::string::npos);

    Window& first = *desktop.windows[0];
    EXPECT_EQ(first.view.broughtForward, 1);
    first.finishRead();
    EXPECT_TRUE(first.session->viewState().drawing());

    // A window that cannot be made is said so.
    desktop.makes = false;
    writeFile(dir / "other.dxf", twoTexts());
    desktop.errors.clear();
    EXPECT_EQ(desktop.registry.open(dir / "other.dxf"), nullptr);
    EXPECT_EQ(desktop.errors, std::vector<std::string>{std::string(kNoPreviewWindow)});

    // A window closed leaves the registry, and the last one to go says so.
    first.session->run(PreviewAction::Close);
    desktop.closeClosed();
    EXPECT_TRUE(desktop.registry.sessions().empty());
    EXPECT_EQ(desktop.lastClosed, 1);
}

TEST(PreviewRegistryTest, ClosesItsWindowsWhenItGoes) {
    TempDir dir;
    writeFile(dir / "a.dxf", twoTexts());
    writeFile(dir / "b.dxf", twoTexts());
    auto desktop = std::make_unique<Desktop>();
    ASSERT_TRUE(desktop->registry.open(dir / "a.dxf"));
    ASSERT_TRUE(desktop->registry.open(dir / "b.dxf"));
    desktop->registry.closeAll();
    for (const auto& window : desktop->windows)
        EXPECT_TRUE(window->view.closed);
    // Windows that outlive the registry leave nothing behind when they go.
    std::vector<std::unique_ptr<Window>> windows = std::move(desktop->windows);
    desktop.reset();
    windows.clear();
}

} // namespace
