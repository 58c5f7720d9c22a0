// The preview window's native controls, built from the command table, and what its session
// tells it.
#include "PreviewWindow.h"

#include "DefaultApplication.h"
#include "DrawingView.h"
#include "GdiPainter.h"
#include "WinText.h"

#include "platform/win32/WideText.h"
#include "scene/PreviewActions.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <array>

namespace quillet::window::win32::preview {

namespace {

constexpr wchar_t kClass[] = L"QuilletPreview";
constexpr UINT_PTR kPollTimer = 1;

// A command's number: kFirstAction plus its row in the command table; a program's in the
// menu of programs: kFirstApplication plus its index.
constexpr int kFirstAction = 101;
constexpr int kFirstApplication = 1000;

int idOf(scene::PreviewAction action) {
    for (std::size_t i = 0; i < scene::kPreviewActions.size(); ++i)
        if (scene::kPreviewActions[i].action == action)
            return kFirstAction + static_cast<int>(i);
    return 0;
}

// The status bar's parts: counts, then while reading the progress bar and 中止, then the
// cursor's place, in pixels at 96 dpi.
constexpr int kProgressWidth = 220;
constexpr int kCancelWidth = 70;
// The cursor's part is as wide as a long place needs, with this much to spare.
constexpr wchar_t kLongCursor[] = L"X -1234567.891  Y -1234567.891";
constexpr int kCursorSpare = 24;

int scaled(int pixels, HWND hwnd) {
    HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(hwnd, dc);
    return MulDiv(pixels, dpi, 96);
}

void registerClass() {
    static const bool done = [] {
        WNDCLASSEXW c{};
        c.cbSize = sizeof c;
        c.lpfnWndProc = DefWindowProcW; // replaced on creation
        c.hInstance = GetModuleHandleW(nullptr);
        c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        c.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        if (!c.hIcon)
            c.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        c.lpszClassName = kClass;
        return RegisterClassExW(&c) != 0;
    }();
    (void)done;
}

WORD virtualKeyOf(scene::Key key) {
    switch (key) {
    case scene::Key::Home:
        return VK_HOME;
    case scene::Key::F5:
        return VK_F5;
    case scene::Key::Escape:
        return VK_ESCAPE;
    case scene::Key::S:
        return 'S';
    case scene::Key::W:
        return 'W';
    }
    return 0;
}

HACCEL makeShortcuts() {
    std::vector<ACCEL> keys;
    for (const scene::ActionInfo& info : scene::kPreviewActions)
        for (const scene::Shortcut& key : info.keys())
            keys.push_back({static_cast<BYTE>(FVIRTKEY | (key.ctrl ? FCONTROL : 0)),
                            virtualKeyOf(key.key), static_cast<WORD>(idOf(info.action))});
    return CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

template <std::size_t N>
void appendEntries(HMENU menu, const std::array<scene::MenuEntry, N>& entries, HMENU programs) {
    for (const scene::MenuEntry& entry : entries) {
        if (entry.separatorBefore)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        const std::wstring text = wide(scene::menuTextWithShortcut(entry.action));
        if (entry.action == scene::PreviewAction::ChooseApplication)
            AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(programs), text.c_str());
        else
            AppendMenuW(menu, MF_STRING, idOf(entry.action), text.c_str());
    }
}

} // namespace

PreviewWindow::~PreviewWindow() {
    // The session goes first: it waits for its read and leaves the registry.
    session_.reset();
    if (shortcuts_)
        DestroyAcceleratorTable(shortcuts_);
    if (uiFont_)
        DeleteObject(uiFont_);
}

PreviewWindow* PreviewWindow::create(const std::string& path,
                                     scene::PreviewEnvironment environment) {
    static const bool controls = [] {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&init) != 0;
    }();
    (void)controls;
    registerClass();
    auto* window = new PreviewWindow();
    HMENU programs = CreatePopupMenu();
    HMENU file = CreatePopupMenu();
    appendEntries(file, scene::kFileMenu, programs);
    HMENU show = CreatePopupMenu();
    appendEntries(show, scene::kViewMenu, programs);
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file),
                wide(scene::kFileMenuTitle).c_str());
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(show),
                wide(scene::kViewMenuTitle).c_str());
    window->applicationsMenu_ = programs;
    HWND hwnd =
        CreateWindowExW(0, kClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                        CW_USEDEFAULT, scaled(1000, nullptr), scaled(720, nullptr), nullptr, bar,
                        GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) {
        DestroyMenu(bar);
        delete window;
        return nullptr;
    }
    window->hwnd_ = hwnd;
    window->session_ = std::make_unique<scene::PreviewSession>(
        static_cast<scene::PreviewView&>(*window), path, std::move(environment));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(&ownedWindowProc<PreviewWindow>));
    window->createControls();
    if (!window->view_) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    window->layout();
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    SetFocus(window->view_->hwnd());
    return window;
}

PreviewWindow* PreviewWindow::of(HWND hwnd) noexcept {
    if (!hwnd)
        return nullptr;
    wchar_t name[32];
    if (!GetClassNameW(hwnd, name, 32) || std::wstring_view(name) != kClass)
        return nullptr;
    return reinterpret_cast<PreviewWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

PreviewWindow* PreviewWindow::of(scene::PreviewSession& session) noexcept {
    // Every session of the Windows registry belongs to one of these windows.
    return static_cast<PreviewWindow*>(&session.view());
}

void PreviewWindow::createControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    shortcuts_ = makeShortcuts();
    // A face with the Japanese glyphs: the system's message font may have none.
    LOGFONTW f{};
    f.lfHeight = -scaled(12, hwnd_);
    f.lfWeight = FW_NORMAL;
    f.lfCharSet = DEFAULT_CHARSET;
    f.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(f.lfFaceName, textFace().c_str(), LF_FACESIZE - 1);
    uiFont_ = CreateFontIndirectW(&f);

    toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST |
                                   TBSTYLE_TOOLTIPS | CCS_TOP,
                               0, 0, 0, 0, hwnd_, nullptr, instance, nullptr);
    SendMessageW(toolbar_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendMessageW(toolbar_, TB_SETIMAGELIST, 0, 0);
    // The buttons' texts live as long as the toolbar reads them: through TB_ADDBUTTONSW.
    std::vector<std::wstring> texts;
    for (const scene::PreviewAction action : scene::kToolbar)
        texts.push_back(wide(scene::actionInfo(action).buttonText));
    std::vector<TBBUTTON> buttons;
    for (std::size_t i = 0; i < scene::kToolbar.size(); ++i) {
        const scene::PreviewAction action = scene::kToolbar[i];
        TBBUTTON b{};
        b.iBitmap = I_IMAGENONE;
        b.idCommand = idOf(action);
        b.fsState = TBSTATE_ENABLED;
        // 書き出し is its menu alone; 既定のアプリで開く opens, its arrow offers the others.
        const BYTE style = action == scene::PreviewAction::Export        ? BTNS_WHOLEDROPDOWN
                           : action == scene::PreviewAction::OpenDefault ? BTNS_DROPDOWN
                                                                         : BTNS_BUTTON;
        b.fsStyle = static_cast<BYTE>(BTNS_AUTOSIZE | BTNS_SHOWTEXT | style);
        b.iString = reinterpret_cast<INT_PTR>(texts[i].c_str());
        buttons.push_back(b);
    }
    SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(),
                 reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
    // The buttons' tooltips come from the command table.
    if (HWND tips = reinterpret_cast<HWND>(SendMessageW(toolbar_, TB_GETTOOLTIPS, 0, 0)))
        SendMessageW(tips, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);

    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr,
                              WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                              hwnd_, nullptr, instance, nullptr);
    SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);
    progress_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0,
                                hwnd_, nullptr, instance, nullptr);
    SendMessageW(progress_, PBM_SETRANGE32, 0, 1000);
    cancel_ = CreateWindowExW(
        0, L"BUTTON", wide(scene::actionInfo(scene::PreviewAction::Cancel).buttonText).c_str(),
        WS_CHILD | BS_PUSHBUTTON, 0, 0, 0, 0, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(idOf(scene::PreviewAction::Cancel))), instance,
        nullptr);
    SendMessageW(cancel_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);

    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance, nullptr);
    if (tip_) {
        SendMessageW(tip_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);
        // A width makes it break at the detail's line breaks.
        SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, scaled(600, hwnd_));
        SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = status_;
        tool.uId = 1;
        tool.lpszText = tipText_.data();
        SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    view_ = DrawingView::create(hwnd_, session_->viewState(),
                                [this](double x, double y) { session_->cursorMoved(x, y); });
}

void PreviewWindow::layout() {
    if (!view_)
        return;
    RECT client;
    GetClientRect(hwnd_, &client);
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
    SendMessageW(status_, WM_SIZE, 0, 0);
    RECT bar, status;
    GetWindowRect(toolbar_, &bar);
    GetWindowRect(status_, &status);
    const int top = bar.bottom - bar.top;
    const int bottom = client.bottom - (status.bottom - status.top);

    const int cursor = cursorWidth();
    const int progress = reading_ ? scaled(kProgressWidth, hwnd_) : 0;
    const int cancel = reading_ ? scaled(kCancelWidth, hwnd_) : 0;
    std::array<int, 4> edges{};
    int parts = 0;
    const int right = client.right;
    edges[parts++] = std::max(right - cursor - progress - cancel, 0);
    if (reading_) {
        edges[parts++] = right - cursor - cancel;
        edges[parts++] = right - cursor;
    }
    edges[parts++] = -1;
    SendMessageW(status_, SB_SETPARTS, parts, reinterpret_cast<LPARAM>(edges.data()));
    if (reading_) {
        RECT part;
        const auto place = [&](HWND control, int index) {
            SendMessageW(status_, SB_GETRECT, index, reinterpret_cast<LPARAM>(&part));
            MapWindowPoints(status_, hwnd_, reinterpret_cast<POINT*>(&part), 2);
            SetWindowPos(control, HWND_TOP, part.left + 1, part.top + 1, part.right - part.left - 2,
                         part.bottom - part.top - 2, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        };
        place(progress_, 1);
        place(cancel_, 2);
    }
    MoveWindow(view_->hwnd(), 0, top, client.right, std::max(bottom - top, 1), TRUE);
    placeTip();
}

int PreviewWindow::cursorWidth() const {
    HDC dc = GetDC(status_);
    HGDIOBJ old = SelectObject(dc, uiFont_);
    SIZE size{};
    GetTextExtentPoint32W(dc, kLongCursor, static_cast<int>(std::size(kLongCursor)) - 1, &size);
    SelectObject(dc, old);
    ReleaseDC(status_, dc);
    return size.cx + scaled(kCursorSpare, hwnd_);
}

void PreviewWindow::placeTip() {
    if (!tip_)
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = status_;
    tool.uId = 1;
    SendMessageW(status_, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&tool.rect));
    SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    tool.lpszText = tipText_.data();
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT PreviewWindow::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_SIZE:
        layout();
        return 0;
    case WM_SETFOCUS:
        if (view_)
            SetFocus(view_->hwnd());
        return 0;
    case WM_MOUSEWHEEL:
        if (view_)
            return SendMessageW(view_->hwnd(), message, w, l);
        return 0;
    case WM_COMMAND:
        command(LOWORD(w));
        return 0;
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(w) == applicationsMenu_)
            fillApplications(applicationsMenu_);
        return 0;
    case WM_NOTIFY: {
        const auto* note = reinterpret_cast<const NMHDR*>(l);
        if (note->hwndFrom == toolbar_ && note->code == TBN_DROPDOWN) {
            const auto* button = reinterpret_cast<const NMTOOLBARW*>(l);
            for (const scene::PreviewAction action : scene::kToolbar)
                if (idOf(action) == button->iItem)
                    dropDown(action);
            return TBDDRET_DEFAULT;
        }
        if (note->code == TTN_GETDISPINFOW) {
            // A toolbar button's tooltip, from the command table.
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(l);
            for (const scene::ActionInfo& action : scene::kPreviewActions)
                if (idOf(action.action) == static_cast<int>(info->hdr.idFrom)) {
                    buttonTip_ = wide(scene::toolTipOf(action.action));
                    info->lpszText = buttonTip_.data();
                }
            return 0;
        }
        break;
    }
    case WM_TIMER:
        if (w == kPollTimer)
            session_->poll();
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd_, kPollTimer);
        return 0;
    }
    return DefWindowProcW(hwnd_, message, w, l);
}

bool PreviewWindow::translate(MSG& msg) {
    return shortcuts_ && TranslateAcceleratorW(hwnd_, shortcuts_, &msg) != 0;
}

void PreviewWindow::command(int id) {
    if (id >= kFirstApplication) {
        const auto index = static_cast<std::size_t>(id - kFirstApplication);
        if (index < offered_.size())
            session_->openWith(offered_[index]);
        return;
    }
    const int row = id - kFirstAction;
    if (row < 0 || row >= static_cast<int>(scene::kPreviewActions.size()))
        return;
    const scene::PreviewAction action =
        scene::kPreviewActions[static_cast<std::size_t>(row)].action;
    if (action == scene::PreviewAction::Export)
        dropDown(action); // its button is its menu
    else
        session_->run(action);
}

void PreviewWindow::dropDown(scene::PreviewAction action) {
    RECT r;
    SendMessageW(toolbar_, TB_GETRECT, idOf(action), reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(toolbar_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    HMENU menu = CreatePopupMenu();
    if (action == scene::PreviewAction::Export) {
        for (const scene::PreviewAction entry : scene::kExportMenu)
            AppendMenuW(menu, MF_STRING, idOf(entry),
                        wide(scene::actionInfo(entry).menuText).c_str());
    } else {
        fillApplications(menu);
    }
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, r.left, r.bottom, 0, hwnd_, nullptr);
    DestroyMenu(menu);
}

void PreviewWindow::fillApplications(HMENU menu) {
    while (GetMenuItemCount(menu) > 0)
        DeleteMenu(menu, 0, MF_BYPOSITION);
    offered_ = session_->applications();
    for (std::size_t i = 0; i < offered_.size(); ++i)
        AppendMenuW(menu, MF_STRING, kFirstApplication + static_cast<UINT_PTR>(i),
                    wide(scene::PreviewSession::menuTextOf(offered_[i])).c_str());
    if (offered_.empty())
        AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, wide(scene::kNoApplicationEntry).c_str());
}

void PreviewWindow::setTitle(std::string_view title) {
    SetWindowTextW(hwnd_, wide(title).c_str());
}

void PreviewWindow::redraw() {
    if (view_)
        InvalidateRect(view_->hwnd(), nullptr, FALSE);
}

void PreviewWindow::setMessage(std::string_view message) {
    if (view_)
        view_->setMessage(std::string(message));
}

void PreviewWindow::setStatus(std::string_view line, std::string_view toolTip) {
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide(line).c_str()));
    tipText_ = wide(toolTip);
    placeTip();
}

void PreviewWindow::setCursorText(std::string_view text) {
    SendMessageW(status_, SB_SETTEXTW, reading_ ? 3 : 1,
                 reinterpret_cast<LPARAM>(wide(text).c_str()));
}

void PreviewWindow::showProgress(int permille) {
    SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(permille), 0);
    if (!reading_) {
        reading_ = true;
        layout();
    }
}

void PreviewWindow::hideProgress() {
    if (!reading_)
        return;
    reading_ = false;
    ShowWindow(progress_, SW_HIDE);
    ShowWindow(cancel_, SW_HIDE);
    layout();
}

void PreviewWindow::setPolling(bool on) {
    if (on)
        SetTimer(hwnd_, kPollTimer, scene::kPollMilliseconds, nullptr);
    else
        KillTimer(hwnd_, kPollTimer);
}

void PreviewWindow::showError(std::string_view message) {
    preview::showError(hwnd_, std::string(message));
}

std::optional<scene::SaveChoice> PreviewWindow::askSavePath(const scene::SaveRequest& request) {
    // The folder and the name apart: a path in lpstrFile alone does not choose the folder in
    // every dialog.
    const std::string& proposed = request.proposed;
    const std::size_t slash = proposed.find_last_of("\\/");
    const std::wstring folder = slash == std::string::npos
                                    ? std::wstring()
                                    : platform::win32::systemPath(proposed.substr(0, slash + 1));
    std::wstring name = wide(slash == std::string::npos ? proposed : proposed.substr(slash + 1));
    name.resize(std::max<std::size_t>(name.size() + 1, 32768), L'\0');
    std::wstring filter;
    for (const scene::FileFilter& kind : request.filters) {
        const std::wstring suffix = wide(kind.suffix);
        filter += wide(kind.name) + L" (*." + suffix + L")" + L'\0' + L"*." + suffix + L'\0';
    }
    filter += L'\0';
    const std::wstring title = wide(request.title);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = title.c_str();
    dialog.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&dialog))
        return std::nullopt;
    return scene::SaveChoice{platform::win32::toUtf8(name.c_str()),
                             dialog.nFilterIndex > 0 ? dialog.nFilterIndex - 1 : 0};
}

std::vector<scene::Application> PreviewWindow::applications(const std::string& path) {
    std::vector<scene::Application> apps;
    if (const std::optional<AssociatedProgram> program = associatedProgram(path))
        apps.push_back({program->exe, program->name, true});
    return apps;
}

bool PreviewWindow::startApplication(const scene::Application&, const std::string& path) {
    // The one program offered is the association: the shell starts it on the file.
    return openWithAssociation(hwnd_, path);
}

bool PreviewWindow::chooseApplication(const std::string& path) {
    return chooseProgramFor(hwnd_, path);
}

void PreviewWindow::bringForward() {
    if (IsIconic(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    SetForegroundWindow(hwnd_);
}

void PreviewWindow::closeWindow() {
    // Posted: the window (and its session) goes once the call that asked has returned.
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

} // namespace quillet::window::win32::preview
