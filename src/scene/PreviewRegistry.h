// The preview windows open now: one window a drawing. Opening a file checks it first (there,
// readable, a drawing), then brings forward the window that shows it already (however it is
// named) or has the front end make one.
#pragma once

#include "PreviewSession.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::scene {

inline constexpr std::string_view kNoPreviewWindow = "プレビューのウィンドウを作れませんでした。";

class PreviewRegistry {
  public:
    // Makes a window for the drawing at path and returns its session, or null when no window
    // could be made. The window shows nothing until the registry loads it.
    using WindowMaker = std::function<PreviewSession*(const std::string& path)>;
    // Shows a refusal or a failure in an error box (over the main window, when there is one).
    using ErrorSink = std::function<void(std::string_view message)>;

    PreviewRegistry(WindowMaker makeWindow, ErrorSink showError);
    // Closes every window still open.
    ~PreviewRegistry();
    PreviewRegistry(const PreviewRegistry&) = delete;
    PreviewRegistry& operator=(const PreviewRegistry&) = delete;

    // Opens the drawing at path in a window, or brings its window forward and reads it again.
    // A file that cannot be opened is shown with its run-time error (53, 70, 75, 76), one that
    // is no drawing with a message, and no window opens then. Returns the window's session,
    // or null.
    PreviewSession* open(const std::string& path);

    // The sessions of the windows open now, in the order they opened.
    const std::vector<PreviewSession*>& sessions() const noexcept { return open_; }
    // Closes every window (each goes when its front end has closed it).
    void closeAll();

    // Called when the last window has gone (for a program that has no other window).
    std::function<void()> onLastClosed;

  private:
    friend class PreviewSession;
    // A window's session is going.
    void forget(PreviewSession* session);

    WindowMaker makeWindow_;
    ErrorSink showError_;
    std::vector<PreviewSession*> open_;
};

} // namespace quillet::scene
