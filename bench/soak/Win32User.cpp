// The Win32 window's day: list choices with their LBN_SELCHANGE, WM_SETTEXT in the boxes,
// BM_CLICK on the buttons, and the preview windows' menu, toolbar and keys, each waited for
// as a user waits to see it done.
#include "Win32User.h"

#include "Folder.h"

#include "Form1Window.h"
#include "conversion/Run.h"
#include "platform/win32/WideText.h"
#include "preview/DrawingView.h"
#include "preview/PreviewWindow.h"
#include "preview/PreviewWindows.h"
#include "scene/PreviewActions.h"

#include <commctrl.h>

#include <chrono>
#include <fstream>
#include <stdexcept>

namespace quillet::bench::soak {

namespace {

using platform::win32::toUtf8;
using platform::win32::toWide;
using window::win32::preview::PreviewWindow;

// The texts of the error boxes closed so far (one soak a process).
std::vector<std::string> boxTexts;

std::wstring textOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::vector<HWND> threadWindows(const wchar_t* className) {
    struct Search {
        const wchar_t* name;
        std::vector<HWND> found;
    } search{className, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (lstrcmpiW(name, s.name) == 0 && IsWindowVisible(window))
                s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<PreviewWindow*> previewWindows() {
    std::vector<PreviewWindow*> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            if (PreviewWindow* preview = PreviewWindow::of(window))
                reinterpret_cast<std::vector<PreviewWindow*>*>(data)->push_back(preview);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool lists(HWND list, const std::string& name) {
    return SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1),
                        reinterpret_cast<LPARAM>(toWide(name).c_str())) != LB_ERR;
}

std::runtime_error failure(const Step& step, const std::string& what) {
    return std::runtime_error("step " + std::to_string(step.number) + ": " + what);
}

// Returns the id of the menu entry of window whose text is action's, as a pick from the menu
// sends it; 0 when there is none.
UINT menuIdOf(HWND window, scene::PreviewAction action) {
    const std::wstring wanted = toWide(scene::menuTextWithShortcut(action));
    const HMENU bar = GetMenu(window);
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        const HMENU menu = GetSubMenu(bar, i);
        for (int j = 0; menu && j < GetMenuItemCount(menu); ++j) {
            wchar_t text[128] = {};
            GetMenuStringW(menu, static_cast<UINT>(j), text, 128, MF_BYPOSITION);
            if (wanted == text)
                return GetMenuItemID(menu, j);
        }
    }
    return 0;
}

// Returns the command of the toolbar button of window whose text is action's; 0 for none.
int toolbarIdOf(HWND toolbar, scene::PreviewAction action) {
    const std::wstring wanted = toWide(scene::actionInfo(action).buttonText);
    const auto count = SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        TBBUTTON button{};
        SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&button));
        wchar_t text[128] = {};
        SendMessageW(toolbar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand),
                     reinterpret_cast<LPARAM>(text));
        if (wanted == text)
            return button.idCommand;
    }
    return 0;
}

} // namespace

Win32User::Win32User(HWND form, std::filesystem::path folder)
    : form_(form), folder_(std::move(folder)) {
    // An error box is read and closed within a moment; its own loop runs the timer.
    boxTimer_ = SetTimer(nullptr, 0, 20, closeErrorBoxes);
}

Win32User::~Win32User() {
    if (boxTimer_)
        KillTimer(nullptr, boxTimer_);
}

void CALLBACK Win32User::closeErrorBoxes(HWND, UINT, UINT_PTR, DWORD) {
    for (HWND box : threadWindows(L"#32770")) {
        // A message box's text is its static control 0xFFFF.
        wchar_t text[2048] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 2048);
        boxTexts.push_back(toUtf8(text));
        SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    }
}

bool Win32User::pumpUntil(const std::function<bool()>& done, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    MSG message{};
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        if (message.message == WM_QUIT)
            continue; // left by a window of the day's; this loop ends on done() alone
        // As Form1Window::run: the previews' shortcuts, then the dialog keys of the window.
        if (window::win32::preview::translatePreviewMessage(message))
            continue;
        const HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageW(root, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

void Win32User::waitFor(const std::function<bool()>& done, const Step& step, const char* what,
                        int milliseconds) {
    if (!pumpUntil(done, milliseconds))
        throw failure(step, what);
}

HWND Win32User::control(form::ControlId id) const {
    return GetDlgItem(form_, window::win32::kFirstControlId + static_cast<int>(id));
}

void Win32User::chooseIn(form::ControlId list, const std::string& name, const Step& step) {
    const HWND box = control(list);
    waitFor([&] { return lists(box, name); }, step, ("never listed: " + name).c_str());
    const LRESULT index = SendMessageW(box, LB_FINDSTRINGEXACT, WPARAM(-1),
                                       reinterpret_cast<LPARAM>(toWide(name).c_str()));
    SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(form_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box));
}

void Win32User::typeInto(form::ControlId box, const std::string& text) {
    SendMessageW(control(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(toWide(text).c_str()));
}

void Win32User::click(form::ControlId button) {
    SendMessageW(control(button), BM_CLICK, 0, 0);
}

void Win32User::doStep(const Step& step) {
    touchFolder(step);
    if (step.wanders)
        wander(step);
    convert(step);
    preview(step);
}

void Win32User::touchFolder(const Step& step) {
    const std::filesystem::path path = fileIn(folder_, step.touched);
    const HWND file1 = control(form::ControlId::File1);
    const HWND file2 = control(form::ControlId::File2);
    if (step.adds) {
        std::ofstream(path, std::ios::binary) << "ADDED,1\r\n";
        waitFor([&] { return lists(file1, step.touched) && lists(file2, step.touched); }, step,
                "a file added to the folder is not listed");
        ++tally_.added;
    } else {
        if (!std::filesystem::remove(path))
            throw failure(step, "cannot remove " + step.touched);
        waitFor([&] { return !lists(file1, step.touched) && !lists(file2, step.touched); }, step,
                "a file removed from the folder is still listed");
        ++tally_.removed;
    }
}

void Win32User::wander(const Step& step) {
    const HWND dir1 = control(form::ControlId::Dir1);
    const HWND file1 = control(form::ControlId::File1);
    // Dir1's line for a folder shows its name; a double-click (LBN_DBLCLK) opens it.
    const std::string here = toUtf8(folder_.filename().wstring());
    for (const auto& [line, shows] : {std::pair{std::string(kSubFolder), std::string("inner.csv")},
                                      std::pair{here, std::string(kSmallInput)}}) {
        const LRESULT index = SendMessageW(dir1, LB_FINDSTRINGEXACT, WPARAM(-1),
                                           reinterpret_cast<LPARAM>(toWide(line).c_str()));
        if (index == LB_ERR)
            throw failure(step, "Dir1 has no line " + line);
        SendMessageW(dir1, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(form_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(dir1), LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(dir1));
        waitFor([&] { return lists(file1, shows); }, step, "Dir1 did not open the folder");
    }
    // Drive1's list, opened (its drives read again) and closed on the same drive.
    const HWND drive1 = control(form::ControlId::Drive1);
    SendMessageW(drive1, CB_SHOWDROPDOWN, TRUE, 0);
    pumpUntil([] { return false; }, 20);
    SendMessageW(drive1, CB_SHOWDROPDOWN, FALSE, 0);
    ++tally_.wanders;
}

void Win32User::convert(const Step& step) {
    if (step.typedInput) {
        typeInto(form::ControlId::txtFileName, step.input);
    } else {
        chooseIn(form::ControlId::File1, step.input, step);
        if (toUtf8(textOf(control(form::ControlId::txtFileName))) != step.input)
            throw failure(step, "the input box does not show the file chosen");
    }
    typeInto(form::ControlId::txtFileR, step.height);
    if (step.output)
        typeInto(form::ControlId::txtFileS, *step.output);
    const std::size_t boxes = boxTexts.size();
    click(step.declared ? form::ControlId::cmdCul2 : form::ControlId::cmdCul1);
    const std::wstring reading = toWide(conversion::kCaptionReading);
    if (textOf(form_) != reading)
        throw failure(step, "the run did not start");
    waitFor([&] { return textOf(form_) != reading; }, step, "the run did not end", 120000);
    ++tally_.conversions;
    if (step.expectedError) {
        waitFor([&] { return boxTexts.size() > boxes; }, step, "no error box for a failed run");
        const std::string expected = "実行時エラー " + std::to_string(step.expectedError);
        if (boxTexts.back().rfind(expected, 0) != 0)
            throw failure(step, "the error box says " + boxTexts.back() + ", not " + expected);
        ++tally_.failures;
        return;
    }
    const std::string report = toUtf8(textOf(control(form::ControlId::txtDis)));
    if (boxTexts.size() != boxes || report.find("処理終了") == std::string::npos)
        throw failure(step, "the run failed: " + report);
    // The new drawing is the one chosen in File2, which 開く opens.
    const HWND file2 = control(form::ControlId::File2);
    const std::wstring written = toWide(outputOf(step));
    waitFor(
        [&] {
            const LRESULT chosen = SendMessageW(file2, LB_GETCURSEL, 0, 0);
            if (chosen == LB_ERR)
                return false;
            std::wstring text(
                static_cast<std::size_t>(SendMessageW(file2, LB_GETTEXTLEN, chosen, 0)) + 1, L'\0');
            text.resize(static_cast<std::size_t>(
                SendMessageW(file2, LB_GETTEXT, chosen, reinterpret_cast<LPARAM>(text.data()))));
            return text == written;
        },
        step, "the new drawing is not chosen in File2");
}

HWND Win32User::openedPreview(const Step& step) {
    waitFor([] { return previewWindows().size() == 1; }, step, "開く opened no preview window");
    return previewWindows().front()->hwnd();
}

void Win32User::waitUntilGone(const Step& step) {
    waitFor([] { return previewWindows().empty(); }, step, "the preview window did not go");
}

void Win32User::preview(const Step& step) {
    if (step.preview == Preview::None)
        return;
    ++tally_.previews;
    // The window's state, asked through its handle: null once it is gone.
    const auto loading = [](HWND hwnd) {
        PreviewWindow* window = IsWindow(hwnd) ? PreviewWindow::of(hwnd) : nullptr;
        return window && window->session().loading();
    };
    if (step.preview == Preview::CancelRead) {
        chooseIn(form::ControlId::File2, std::string(kBigDrawing), step);
        click(form::ControlId::cmdOpen);
        const HWND window = openedPreview(step);
        const std::wstring cancelText =
            toWide(scene::actionInfo(scene::PreviewAction::Cancel).buttonText);
        const HWND cancel = FindWindowExW(window, nullptr, WC_BUTTONW, cancelText.c_str());
        if (cancel && IsWindowVisible(cancel) && loading(window))
            SendMessageW(cancel, BM_CLICK, 0, 0);
        waitFor([&] { return !loading(window); }, step, "the read did not end", 60000);
        pumpUntil([&] { return !IsWindow(window); }, 2000);
        if (IsWindow(window)) {
            ++tally_.readFirst; // the read was over before 中止: the drawing shows
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else {
            ++tally_.cancelled;
        }
        waitUntilGone(step);
        return;
    }
    click(form::ControlId::cmdOpen);
    const HWND window = openedPreview(step);
    waitFor([&] { return !loading(window); }, step, "the drawing was not read", 60000);
    if (PreviewWindow::of(window)->session().statusLine().empty())
        throw failure(step, "the preview shows no drawing");
    const HWND view = PreviewWindow::of(window)->view()->hwnd();
    switch (step.preview) {
    case Preview::OpenClose:
        if (step.closeByMenu)
            SendMessageW(window, WM_COMMAND,
                         MAKEWPARAM(menuIdOf(window, scene::PreviewAction::Close), 0), 0);
        else
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case Preview::Reload: {
        RECT inside{};
        GetClientRect(view, &inside);
        POINT middle{inside.right / 2, inside.bottom / 2};
        ClientToScreen(view, &middle);
        SendMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                     MAKELPARAM(middle.x, middle.y));
        const HWND toolbar = FindWindowExW(window, nullptr, TOOLBARCLASSNAMEW, nullptr);
        if (const int fit = toolbarIdOf(toolbar, scene::PreviewAction::Fit))
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(fit, BN_CLICKED),
                         reinterpret_cast<LPARAM>(toolbar));
        PostMessageW(view, WM_KEYDOWN, VK_F5, 0);
        waitFor([&] { return loading(window); }, step, "F5 read nothing", 5000);
        waitFor([&] { return !loading(window); }, step, "the drawing was not read again");
        ++tally_.reloads;
        PostMessageW(view, WM_KEYDOWN, VK_ESCAPE, 0);
        break;
    }
    case Preview::OpenAgain:
        click(form::ControlId::cmdOpen);
        if (previewWindows().size() != 1 || !loading(window))
            throw failure(step, "開く again did not read the open window again");
        waitFor([&] { return !loading(window); }, step, "the drawing was not read again");
        ++tally_.reloads;
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case Preview::None:
    case Preview::CancelRead:
        break;
    }
    waitUntilGone(step);
}

} // namespace quillet::bench::soak
