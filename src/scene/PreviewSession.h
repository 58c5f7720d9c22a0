// One preview window's logic without a toolkit: reading the drawing (again), what the title
// and the status line say, the commands, the export's name and format, and which programs
// may open the drawing. The window shows what it is told through a PreviewView and paints
// viewState().
#pragma once

#include "ExportFile.h"
#include "PreviewActions.h"
#include "PreviewView.h"
#include "TextLayout.h"
#include "ViewState.h"
#include "ViewTransform.h"

#include "drawing/Drawing.h"
#include "platform/InputFile.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillet::scene {

class DrawingLoad;
class PreviewRegistry;

// What a front end gives its sessions.
struct PreviewEnvironment {
    // The front end's measure of texts and its PNG, which outlive every session.
    const ExportFrontEnd* toolkit = nullptr;
    // The ids by which the desktop knows Quillet's own programs ("quillet.exe", a desktop
    // entry's name), never offered to open a drawing.
    std::vector<std::string> ownApplications;
};

// The title of a preview window for the drawing at path: "NAME - Quillet プレビュー".
std::string previewTitle(const std::string& path);

// The export's kinds of file, PNG first (the default).
const std::vector<FileFilter>& exportFilters();

// Returns path with suffix appended when its name has no extension of its own.
std::string withSuffix(const std::string& path, std::string_view suffix);

// Tells whether the program id is one of own: its last path part equal to one of them,
// letters of either case alike.
bool isOwnApplication(std::string_view id, const std::vector<std::string>& own);

// The reading's text in the status line while a drawing is read or indexed.
inline constexpr std::string_view kReadingText = "読み込み中...";
inline constexpr std::string_view kIndexingText = "索引を作成中...";
inline constexpr std::string_view kNothingToExport = "書き出す図面がありません。";
inline constexpr std::string_view kNoOtherApplication =
    "この図面を開くほかのアプリが見つかりません。";
inline constexpr std::string_view kApplicationDidNotStart = "このアプリを起動できません。";
inline constexpr std::string_view kNoApplicationEntry = "DXF を開くほかのアプリが見つかりません";
inline constexpr std::string_view kDefaultMark = "（既定）";

class PreviewSession {
  public:
    // The logic of view, for the drawing at path; nothing is read until load().
    PreviewSession(PreviewView& view, std::string path, PreviewEnvironment environment);
    // Cancels a read still going and waits for it; leaves its registry.
    ~PreviewSession();
    PreviewSession(const PreviewSession&) = delete;
    PreviewSession& operator=(const PreviewSession&) = delete;

    // Reads the drawing (again), keeping what is shown until the new one is there. A read
    // already going is left to finish: it shows the file as it is now.
    void load();
    // Takes the read's progress, and its end: a drawing read is shown; a reload that failed or
    // was cancelled keeps the last drawing; a first read that failed shows its error and
    // closes the window, one that was cancelled closes it without a word.
    void poll();
    // Tells whether a read is under way.
    bool loading() const noexcept { return load_ != nullptr; }

    // Runs action as a menu, button or shortcut does.
    void run(PreviewAction action);
    // Writes the view (or the whole drawing) to path, in the format its extension names;
    // returns the error message, empty when it was written.
    std::string exportTo(const std::string& path, bool whole);
    // Asks where to export, then exports; a failure is shown.
    void chooseExport(bool whole);

    // The programs ChooseApplication offers (never Quillet's own), the default first; the
    // menu entry's text for each ("LibreCAD（既定）").
    std::vector<Application> applications();
    static std::string menuTextOf(const Application& app);
    // Opens the drawing with app; a failure is shown.
    void openWith(const Application& app);

    // The cursor moved over the view to the drawing point (x, y).
    void cursorMoved(double x, double y);

    const std::string& path() const noexcept { return path_; }
    // The status line's text as shown last.
    const std::string& statusLine() const noexcept { return statusLine_; }
    ViewState& viewState() noexcept { return state_; }
    const ViewState& viewState() const noexcept { return state_; }
    PreviewView& view() noexcept { return view_; }

    // Called at the end of every read with whether it brought a drawing to show.
    std::function<void(bool shown)> onLoaded;

  private:
    friend class PreviewRegistry;

    void finishLoad();
    void showStatus();
    void openInDefaultApplication();

    PreviewView& view_;
    std::string path_;
    PreviewEnvironment environment_;
    TextMeasure measure_; // the toolkit's, made once
    ViewState state_;
    std::unique_ptr<DrawingLoad> load_;
    std::string statusLine_;
    // The registry that opened this window, and the file it knows it by.
    PreviewRegistry* registry_ = nullptr;
    platform::FileIdentity identity_{};
};

} // namespace quillet::scene
