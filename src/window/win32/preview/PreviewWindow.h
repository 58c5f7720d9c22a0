// One drawing's preview window on Windows: the view, the menus, toolbar and shortcuts of the
// preview's command table, a status bar (with a tooltip over its first part), and the reading
// progress with 中止. What it does is decided by its scene::PreviewSession.
#pragma once

#include "scene/PreviewSession.h"
#include "scene/PreviewView.h"

#include "OwnedWindowProc.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace quillet::window::win32::preview {

class DrawingView;

class PreviewWindow final : private scene::PreviewView {
  public:
    // Makes and shows the window for the drawing at path (UTF-8). Returns the window, or null.
    // Its session reads nothing until it is loaded; it goes with the window.
    static PreviewWindow* create(const std::string& path, scene::PreviewEnvironment environment);
    // Returns the preview window behind hwnd, or null when hwnd is none.
    static PreviewWindow* of(HWND hwnd) noexcept;
    // Returns the window whose session is session.
    static PreviewWindow* of(scene::PreviewSession& session) noexcept;

    // Handles msg when it is one of the window's shortcuts; returns whether it did.
    bool translate(MSG& msg);

    scene::PreviewSession& session() noexcept { return *session_; }
    HWND hwnd() const noexcept { return hwnd_; }
    DrawingView* view() const noexcept { return view_; }

  private:
    PreviewWindow() = default;
    ~PreviewWindow() override;
    template <class T> friend LRESULT CALLBACK ownedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void createControls();
    void layout();
    void command(int id);
    void placeTip();
    int cursorWidth() const;
    // Shows the menu of actions (or of the programs when actions is empty) under the toolbar's
    // button for action.
    void dropDown(scene::PreviewAction action);
    // Fills menu with the programs that may open the drawing.
    void fillApplications(HMENU menu);

    void setTitle(std::string_view title) override;
    void redraw() override;
    void setMessage(std::string_view message) override;
    void setStatus(std::string_view line, std::string_view toolTip) override;
    void setCursorText(std::string_view text) override;
    void showProgress(int permille) override;
    void hideProgress() override;
    void setPolling(bool on) override;
    void showError(std::string_view message) override;
    std::optional<scene::SaveChoice> askSavePath(const scene::SaveRequest& request) override;
    std::vector<scene::Application> applications(const std::string& path) override;
    bool startApplication(const scene::Application& app, const std::string& path) override;
    bool chooseApplication(const std::string& path) override;
    void bringForward() override;
    void closeWindow() override;

    HWND hwnd_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND status_ = nullptr;
    HWND progress_ = nullptr;
    HWND cancel_ = nullptr;
    HWND tip_ = nullptr;     // over the status bar's first part: every kind not drawn
    std::wstring tipText_;   // what tip_ shows, kept while it is shown
    std::wstring buttonTip_; // a toolbar button's tooltip, kept while it is shown
    HFONT uiFont_ = nullptr;
    HACCEL shortcuts_ = nullptr;
    HMENU applicationsMenu_ = nullptr; // the menu bar's submenu of programs
    bool reading_ = false;             // the progress and 中止 are shown
    DrawingView* view_ = nullptr;
    // The programs offered last, by the index of their menu entry.
    std::vector<scene::Application> offered_;
    std::unique_ptr<scene::PreviewSession> session_;
};

} // namespace quillet::window::win32::preview
