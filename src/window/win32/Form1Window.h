// The program's one window on Windows: the control table's fifteen native controls, which the
// form logic fills and whose events it handles.
#pragma once

#include "form/DirectoryList.h"
#include "form/Form.h"
#include "form/FormView.h"

#include <windows.h>

#include <shellapi.h> // after windows.h, which it needs

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillet::window::win32 {

// The window class's name, by which tests find the window.
inline constexpr wchar_t kForm1ClassName[] = L"QuilletForm1";

// The message a task given to post() comes in, its std::function<void()>* in lParam.
inline constexpr UINT kTaskMessage = WM_APP + 1;

// The numbers of the controls: kFirstControlId plus their row in form::kControls, clear of
// IDOK and IDCANCEL, which Enter and Esc send.
inline constexpr int kFirstControlId = 100;

class Form1Window final : public form::FormView {
  public:
    // Creates the window (hidden) with its controls in tab order; throws std::runtime_error
    // when Windows makes no window.
    explicit Form1Window(HINSTANCE instance);
    ~Form1Window() override;
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    // Opens the current folder, shows the window as showCommand says, then opens file (as
    // given on the command line) as "Open with" does.
    void start(int showCommand, const std::optional<std::string>& file);

    // Runs the message loop until the program ends; returns its exit status.
    int run();

    std::string text(form::ControlId box) const override;
    void setText(form::ControlId box, std::string_view text) override;
    void setCaption(std::string_view caption) override;
    void setReport(std::string_view report) override;
    void showDrives(const std::vector<form::ListedName>& drives, std::size_t chosen) override;
    void chooseDrive(std::string_view drive) override;
    void showFolder(std::string_view folder) override;
    void showFiles(form::ControlId list, const std::vector<std::string>& names,
                   std::optional<std::size_t> chosen, form::ListPlace place) override;
    void chooseFile(form::ControlId list, std::size_t index) override;
    void showError(std::string_view message) override;
    void openPreview(const std::string& path) override;
    void quit() override;
    // Safe from any thread, also once the window is gone (the task is dropped then).
    void post(std::function<void()> task) override;

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls(HINSTANCE instance);
    // Gives 実行1 and 実行２ their tooltips, which say which drawing each writes.
    void createToolTips(HINSTANCE instance);
    // Runs the task of a kTaskMessage, as the form's event procedures run.
    void runTask(LPARAM task);
    // Deletes, unrun, the tasks still waiting in the queue for this window.
    void dropWaitingTasks();
    // Opens each file of a drop as the command line opens it.
    void openDropped(HDROP drop);
    // Places every control and sizes the window for dpi, with a font made for it.
    void layout(int dpi);
    void onCommand(int id, int code);
    // Takes Enter and Esc meant for this window before IsDialogMessageW would press a
    // button with them or close the window (as a focused button, or the report box, asks):
    // here they press nothing; returns whether message was one of them.
    bool takeEnterOrEsc(const MSG& message);
    // Opens the folder of Dir1's chosen line, as a double-click or Enter does.
    void openDir1Line();
    // Tells the form of the drive chosen in Drive1 once the choice is made.
    void changeDrive();
    void drawDir1Line(const DRAWITEMSTRUCT& item);
    // Widens list's scrolling to its longest entry.
    void fitHorizontalExtent(HWND list);

    HWND control(form::ControlId id) const { return controls_[static_cast<std::size_t>(id)]; }

    HWND window_ = nullptr;
    // The window post() sends tasks to: null from its destruction on, read from any thread.
    std::atomic<HWND> taskTarget_{nullptr};
    HWND toolTip_ = nullptr;
    std::array<HWND, form::kControls.size()> controls_{};
    std::wstring face_;
    HFONT font_ = nullptr;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    HWND lastFocus_ = nullptr;
    std::unique_ptr<form::Form> form_;
    std::vector<std::string> drives_;
    form::DirectoryList dir1Lines_;
};

} // namespace quillet::window::win32
