// One drawing's preview window: the view, a menu and a toolbar (全体表示, 書き出し, 既定のアプリ
// で開く, 再読み込み, 閉じる), a status bar with what is drawn and what is not and the cursor's
// place, and the reading progress with 中止 while a drawing is read; a tooltip over the
// status line holds all of it and every kind not drawn.
#pragma once

#include "scene/DrawingLoad.h"

#include "OwnedWindowProc.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace quillet::window::win32::preview {

class DrawingView;

class PreviewWindow {
  public:
    // Makes and shows the window for the drawing at path (UTF-8); onClosed gets its handle as
    // it goes. Returns the window's handle, or null. Call load() to read the drawing.
    static HWND create(const std::string& path, std::function<void(HWND)> onClosed);
    // Returns the preview window behind hwnd, or null when hwnd is none.
    static PreviewWindow* of(HWND hwnd) noexcept;

    // Reads the drawing (again), keeping what is shown until the new one is there.
    void load();
    // Tells whether a read is under way.
    bool loading() const noexcept { return load_ != nullptr; }
    // Handles msg when it is one of the window's shortcuts; returns whether it did.
    bool translate(MSG& msg);

    // Writes the view (or the whole drawing) to path (UTF-8), in the format its extension
    // names; returns an empty string or what went wrong.
    std::string exportTo(const std::string& path, bool whole) const;

    HWND hwnd() const noexcept { return hwnd_; }
    const std::string& path() const noexcept { return path_; }
    DrawingView* view() const noexcept { return view_; }

  private:
    PreviewWindow(std::string path, std::function<void(HWND)> onClosed);
    ~PreviewWindow();
    template <class T> friend LRESULT CALLBACK ownedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void createControls();
    void layout();
    void command(int id);
    void pollLoad();
    void finishLoad();
    void showProgress(bool shown);
    void showCounts();
    void placeTip();
    int cursorWidth() const;
    void showCursor(double x, double y);
    void chooseExport(bool whole);
    void exportMenu();
    void openInDefaultApplication();

    std::string path_;
    std::string displayName_;
    std::function<void(HWND)> onClosed_;
    HWND hwnd_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND status_ = nullptr;
    HWND progress_ = nullptr;
    HWND cancel_ = nullptr;
    HWND tip_ = nullptr;   // over the status bar's first part: every kind not drawn
    std::wstring tipText_; // what tip_ shows, kept while it is shown
    HFONT uiFont_ = nullptr;
    HACCEL shortcuts_ = nullptr;
    DrawingView* view_ = nullptr;
    std::unique_ptr<scene::DrawingLoad> load_;
};

} // namespace quillet::window::win32::preview
