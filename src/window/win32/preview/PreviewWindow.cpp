// The preview window's controls, its commands and the reading it waits for.
#include "PreviewWindow.h"

#include "DefaultApplication.h"
#include "DrawingView.h"
#include "GdiPainter.h"
#include "PreviewExport.h"
#include "PreviewWindows.h"
#include "WinText.h"

#include "platform/win32/WideText.h"
#include "scene/Export.h"
#include "scene/StatusText.h"

#include <commctrl.h>
#include <commdlg.h>

#include <array>
#include <filesystem>

namespace quillet::window::win32::preview {

namespace {

constexpr wchar_t kClass[] = L"QuilletPreview";
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMilliseconds = 50;

enum Command : int {
    kFit = 101,
    kExportView,
    kExportWhole,
    kExport, // the toolbar's button with its menu
    kOpenDefault,
    kReload,
    kClose,
    kCancel,
};

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

HMENU makeMenu() {
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kExportView, L"表示範囲を書き出し(&E)...\tCtrl+S");
    AppendMenuW(file, MF_STRING, kExportWhole, L"図面全体を書き出し(&W)...");
    AppendMenuW(file, MF_STRING, kOpenDefault, L"既定のアプリで開く(&O)");
    AppendMenuW(file, MF_STRING, kReload, L"再読み込み(&R)\tF5");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, kClose, L"閉じる(&C)\tEsc");
    HMENU show = CreatePopupMenu();
    AppendMenuW(show, MF_STRING, kFit, L"全体表示(&A)\tHome");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"ファイル(&F)");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(show), L"表示(&V)");
    return bar;
}

HACCEL makeShortcuts() {
    std::array<ACCEL, 5> keys = {{
        {FVIRTKEY, VK_ESCAPE, kClose},
        {FVIRTKEY | FCONTROL, 'W', kClose},
        {FVIRTKEY, VK_HOME, kFit},
        {FVIRTKEY | FCONTROL, 'S', kExportView},
        {FVIRTKEY, VK_F5, kReload},
    }};
    return CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

} // namespace

PreviewWindow::PreviewWindow(std::string path, std::function<void(HWND)> onClosed)
    : path_(std::move(path)), onClosed_(std::move(onClosed)) {}

PreviewWindow::~PreviewWindow() {
    if (shortcuts_)
        DestroyAcceleratorTable(shortcuts_);
    if (uiFont_)
        DeleteObject(uiFont_);
}

HWND PreviewWindow::create(const std::string& path, std::function<void(HWND)> onClosed) {
    static const bool controls = [] {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&init) != 0;
    }();
    (void)controls;
    registerClass();
    auto* window = new PreviewWindow(path, std::move(onClosed));
    // Named as the main window's lists show it.
    window->displayName_ = fileNameOf(path);
    const std::wstring title = wide(window->displayName_) + L" - Quillet プレビュー";
    HWND hwnd =
        CreateWindowExW(0, kClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, CW_USEDEFAULT, scaled(1000, nullptr), scaled(720, nullptr),
                        nullptr, makeMenu(), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) {
        delete window;
        return nullptr;
    }
    window->hwnd_ = hwnd;
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
    return hwnd;
}

PreviewWindow* PreviewWindow::of(HWND hwnd) noexcept {
    if (!hwnd)
        return nullptr;
    wchar_t name[32];
    if (!GetClassNameW(hwnd, name, 32) || std::wstring_view(name) != kClass)
        return nullptr;
    return reinterpret_cast<PreviewWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
    const auto button = [](int id, const wchar_t* text, BYTE style) {
        TBBUTTON b{};
        b.iBitmap = I_IMAGENONE;
        b.idCommand = id;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = static_cast<BYTE>(BTNS_AUTOSIZE | BTNS_SHOWTEXT | style);
        b.iString = reinterpret_cast<INT_PTR>(text);
        return b;
    };
    std::array<TBBUTTON, 4> buttons = {
        button(kFit, L"全体表示", BTNS_BUTTON),
        button(kExport, L"書き出し", BTNS_WHOLEDROPDOWN),
        button(kOpenDefault, L"既定のアプリで開く", BTNS_BUTTON),
        button(kReload, L"再読み込み", BTNS_BUTTON),
    };
    SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(),
                 reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);

    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr,
                              WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                              hwnd_, nullptr, instance, nullptr);
    SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);
    progress_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0,
                                hwnd_, nullptr, instance, nullptr);
    SendMessageW(progress_, PBM_SETRANGE32, 0, 1000);
    cancel_ =
        CreateWindowExW(0, L"BUTTON", L"中止", WS_CHILD | BS_PUSHBUTTON, 0, 0, 0, 0, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancel)), instance, nullptr);
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

    view_ = DrawingView::create(hwnd_, [this](double x, double y) { showCursor(x, y); });
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

    const bool reading = loading();
    const int cursor = cursorWidth();
    const int progress = reading ? scaled(kProgressWidth, hwnd_) : 0;
    const int cancel = reading ? scaled(kCancelWidth, hwnd_) : 0;
    std::array<int, 4> edges{};
    int parts = 0;
    const int right = client.right;
    edges[parts++] = std::max(right - cursor - progress - cancel, 0);
    if (reading) {
        edges[parts++] = right - cursor - cancel;
        edges[parts++] = right - cursor;
    }
    edges[parts++] = -1;
    SendMessageW(status_, SB_SETPARTS, parts, reinterpret_cast<LPARAM>(edges.data()));
    if (reading) {
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
    case WM_NOTIFY: {
        const auto* note = reinterpret_cast<const NMHDR*>(l);
        if (note->hwndFrom == toolbar_ && note->code == TBN_DROPDOWN) {
            exportMenu();
            return TBDDRET_DEFAULT;
        }
        break;
    }
    case WM_TIMER:
        if (w == kPollTimer)
            pollLoad();
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd_, kPollTimer);
        load_.reset(); // stops the reading thread and waits for it
        if (onClosed_)
            onClosed_(hwnd_);
        return 0;
    }
    return DefWindowProcW(hwnd_, message, w, l);
}

bool PreviewWindow::translate(MSG& msg) {
    return shortcuts_ && TranslateAcceleratorW(hwnd_, shortcuts_, &msg) != 0;
}

void PreviewWindow::command(int id) {
    switch (id) {
    case kFit:
        view_->fitAll();
        break;
    case kExportView:
        chooseExport(false);
        break;
    case kExportWhole:
        chooseExport(true);
        break;
    case kExport:
        exportMenu();
        break;
    case kOpenDefault:
        openInDefaultApplication();
        break;
    case kReload:
        load();
        break;
    case kClose:
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        break;
    case kCancel:
        if (load_)
            load_->cancel();
        break;
    }
}

void PreviewWindow::exportMenu() {
    RECT r;
    SendMessageW(toolbar_, TB_GETRECT, kExport, reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(toolbar_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, kExportView, L"表示範囲を書き出し(&E)...");
    AppendMenuW(menu, MF_STRING, kExportWhole, L"図面全体を書き出し(&W)...");
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, r.left, r.bottom, 0, hwnd_, nullptr);
    DestroyMenu(menu);
}

void PreviewWindow::load() {
    if (load_)
        return; // a read is under way and will show the file as it is now
    try {
        load_ = std::make_unique<scene::DrawingLoad>(path_);
    } catch (const std::exception& e) {
        showError(hwnd_, e.what());
        return;
    }
    if (!view_->drawing())
        view_->setMessage("読み込み中...");
    SendMessageW(progress_, PBM_SETPOS, 0, 0);
    showProgress(true);
    SetTimer(hwnd_, kPollTimer, kPollMilliseconds, nullptr);
}

void PreviewWindow::showProgress(bool shown) {
    if (!shown) {
        ShowWindow(progress_, SW_HIDE);
        ShowWindow(cancel_, SW_HIDE);
    }
    layout();
}

void PreviewWindow::pollLoad() {
    if (!load_)
        return;
    if (load_->indexing()) {
        SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"索引を作成中..."));
        SendMessageW(progress_, PBM_SETPOS, 1000, 0);
    } else {
        SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"読み込み中..."));
        SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(1000 * load_->fraction()), 0);
    }
    if (load_->finished())
        finishLoad();
}

void PreviewWindow::finishLoad() {
    KillTimer(hwnd_, kPollTimer);
    std::unique_ptr<scene::DrawingLoad> done = std::move(load_);
    showProgress(false);
    std::shared_ptr<drawing::Drawing> read = done->takeDrawing();
    if (read) {
        view_->setDrawing(std::move(read));
        showCounts();
        return;
    }
    if (view_->drawing()) {
        showCounts(); // a reload that did not come through leaves the last drawing shown
        return;
    }
    if (!done->cancelled())
        showError(hwnd_, done->error());
    DestroyWindow(hwnd_);
}

void PreviewWindow::showCounts() {
    // The warning, counts and extents first: a narrow window cuts the kinds off. The
    // tooltip holds the whole line, a part a line, and then every kind not drawn.
    const scene::StatusText status = scene::statusOf(*view_->drawing());
    const std::wstring text = wide(status.joined());
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
    std::string tip;
    for (const std::string* part :
         {&status.warning, &status.counts, &status.extents, &status.guessed})
        if (!part->empty())
            tip += *part + "\n";
    if (!status.notDrawnDetail.empty())
        tip += "描かないもの:\n" + status.notDrawnDetail;
    while (!tip.empty() && tip.back() == '\n')
        tip.pop_back();
    tipText_ = wide(tip);
    placeTip();
}

void PreviewWindow::showCursor(double x, double y) {
    const std::wstring text = wide(scene::cursorText(x, y, 1 / view_->transform().scale));
    SendMessageW(status_, SB_SETTEXTW, loading() ? 3 : 1, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string PreviewWindow::exportTo(const std::string& path, bool whole) const {
    if (!view_->drawing())
        return std::string(scene::kNothingToExport);
    return exportDrawing(*view_->drawing(), view_->transform(), whole, path, displayName_);
}

void PreviewWindow::chooseExport(bool whole) {
    if (!view_->drawing())
        return;
    // The drawing's folder and name: a path in lpstrFile alone does not choose the folder
    // in every dialog.
    const std::filesystem::path proposed =
        scene::proposedExportName(std::filesystem::path(wide(path_)), "png");
    const std::wstring folder = proposed.parent_path().wstring();
    std::wstring name = proposed.filename().wstring();
    name.resize(std::max<std::size_t>(name.size() + 1, 32768), L'\0');
    std::wstring filter;
    for (const scene::ExportChoice& choice : scene::kExportChoices)
        filter += wide(scene::filterOf(choice)) + L'\0' + L"*." + wide(choice.suffix) + L'\0';
    const std::wstring title = wide(scene::exportTitle(whole));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = L"png";
    dialog.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&dialog))
        return;
    std::string target = platform::win32::toUtf8(name.c_str());
    if (dialog.nFileExtension == 0 || name[dialog.nFileExtension] == L'\0') {
        const DWORD index = std::clamp<DWORD>(dialog.nFilterIndex, 1, scene::kExportChoices.size());
        target += '.' + std::string(scene::kExportChoices[index - 1].suffix);
    }
    const std::string error = exportTo(target, whole);
    if (!error.empty())
        showError(hwnd_, error);
}

void PreviewWindow::openInDefaultApplication() {
    const std::string error = openWithDefaultApplication(hwnd_, path_);
    if (!error.empty())
        showError(hwnd_, error);
}

} // namespace quillet::window::win32::preview
