// What the preview's logic asks of a window: the small set of calls each toolkit's preview
// window implements. Texts are UTF-8; paths are the system's bytes (UTF-8 on Windows).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::scene {

// How often the front end calls PreviewSession::poll() while a drawing is read.
inline constexpr int kPollMilliseconds = 50;

// One kind of file the export dialog offers: "PNG 画像" for "png".
struct FileFilter {
    std::string_view name;
    std::string_view suffix;
};

// The export dialog: its title, the name proposed (a path) and the kinds offered, the first
// one chosen.
struct SaveRequest {
    std::string title;
    std::string proposed;
    std::vector<FileFilter> filters;
};

// What the user chose in it: a path, and the index of the kind chosen.
struct SaveChoice {
    std::string path;
    std::size_t filter = 0;
};

// A program the desktop offers for the drawing. id is what tells it apart: a desktop entry's
// name ("librecad.desktop") or a program's path.
struct Application {
    std::string id;
    std::string name;
    bool isDefault = false; // named by the desktop as the type's default (or one of them)
};

// The preview window as its logic sees it. No call raises an event back into the logic. The
// drawing itself is shown from the session's ViewState, which the window paints.
class PreviewView {
  public:
    virtual ~PreviewView() = default;

    virtual void setTitle(std::string_view title) = 0;
    // The session's ViewState changed (a drawing shown, fitted): paint it again.
    virtual void redraw() = 0;
    // Shows message in the middle of the view while there is no drawing; empty hides it.
    virtual void setMessage(std::string_view message) = 0;
    // Sets the status line's text and its tooltip (several lines).
    virtual void setStatus(std::string_view line, std::string_view toolTip) = 0;
    // Sets the cursor's place in the status bar.
    virtual void setCursorText(std::string_view text) = 0;
    // Shows the reading's progress (0..1000) with 中止 beside it.
    virtual void showProgress(int permille) = 0;
    virtual void hideProgress() = 0;
    // Starts or stops calling PreviewSession::poll() every kPollMilliseconds.
    virtual void setPolling(bool on) = 0;

    // Shows message in a modal error box over the window; returns once it is closed.
    virtual void showError(std::string_view message) = 0;
    // Asks where to export; none when the user cancelled.
    virtual std::optional<SaveChoice> askSavePath(const SaveRequest& request) = 0;

    // Returns the desktop's programs for the drawing at path, the default (or defaults) first;
    // Quillet's own among them too, which the session leaves out.
    virtual std::vector<Application> applications(const std::string& path) = 0;
    // Starts app on the drawing at path (absolute); returns whether it started.
    virtual bool startApplication(const Application& app, const std::string& path) = 0;
    // Lets the user pick any program for path with the system's own chooser, where there is
    // one; returns whether one was picked and started.
    virtual bool chooseApplication(const std::string& path) = 0;

    // Brings the window forward (restored, shown, active).
    virtual void bringForward() = 0;
    // Closes the window soon, after the call that asked returns; the session goes with it.
    virtual void closeWindow() = 0;
};

} // namespace quillet::scene
