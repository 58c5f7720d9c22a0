// The Win32 window: native controls made from the control table, in tab order, so that
// IsDialogMessageW gives the Tab walk and the access keys; their notifications go to the form
// logic's event procedures.
#include "Form1Window.h"

#include "DroppedFiles.h"
#include "Placement.h"
#include "UiFont.h"
#include "platform/win32/WideText.h"
#include "preview/PreviewWindows.h"
#include "preview/WinText.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <stdexcept>

namespace quillet::window::win32 {

namespace {

using form::ControlId;
using form::ControlKind;
using platform::win32::toUtf8;
using platform::win32::toWide;

constexpr UINT_PTR kTickTimer = 1;
// A fixed-size window, as the form always was: it can be moved and minimised.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// How many drives Drive1's list shows before it scrolls.
constexpr int kDriveRowsShown = 12;
// How wide a tooltip grows before its text wraps, in pixels at 96 DPI: Japanese has no spaces,
// so without a width it would be one line across the screen.
constexpr int kToolTipWidth = 360;

std::size_t rowOf(ControlId id) {
    return static_cast<std::size_t>(id);
}

// Returns the class and styles of a control of kind.
struct NativeControl {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

NativeControl nativeFor(ControlKind kind) {
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    constexpr DWORD list =
        child | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    switch (kind) {
    case ControlKind::Label:
        // Not a tab stop: its access key leads to the control after it.
        return {WC_STATICW, child | SS_LEFT, 0};
    case ControlKind::TextBox:
        return {WC_EDITW, child | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Button:
        // BS_PUSHBUTTON, never BS_DEFPUSHBUTTON: Enter and Esc press no button.
        return {WC_BUTTONW, child | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::DriveList:
        return {WC_COMBOBOXW, child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::DirectoryList:
        return {WC_LISTBOXW, list | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, WS_EX_CLIENTEDGE};
    case ControlKind::FileList:
        return {WC_LISTBOXW, list, WS_EX_CLIENTEDGE};
    case ControlKind::ReportBox:
        // No word wrap: long report lines scroll sideways.
        return {WC_EDITW,
                child | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL |
                    ES_AUTOVSCROLL,
                WS_EX_CLIENTEDGE};
    }
    throw std::logic_error("no native control for this kind");
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace

Form1Window::Form1Window(HINSTANCE instance) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&common);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                     ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kForm1ClassName;
    ::RegisterClassExW(&windowClass);

    const std::wstring caption = toWide(form::kInitialCaption);
    if (!::CreateWindowExW(0, kForm1ClassName, caption.c_str(), kWindowStyle, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                           this))
        throw std::runtime_error("CreateWindowExW failed with error " +
                                 std::to_string(::GetLastError()));
    face_ = chooseUiFace(japaneseFaces());
    createControls(instance);
    createToolTips(instance);
    layout(dpiOf(window_));
    ::DragAcceptFiles(window_, TRUE);
    form_ = std::make_unique<form::Form>(*this);
    taskTarget_ = window_;
}

Form1Window::~Form1Window() {
    // The form goes first, while its run can still post to a window that exists; the window's
    // destruction then drops what the run left waiting.
    form_.reset();
    if (window_)
        ::DestroyWindow(window_);
    if (font_)
        ::DeleteObject(font_);
}

void Form1Window::createControls(HINSTANCE instance) {
    // Creation order is the order Tab walks and in which a label's access key finds the next
    // control: the tab index order.
    for (ControlId id : form::byTabIndex()) {
        const form::Control& row = form::control(id);
        const NativeControl native = nativeFor(row.kind);
        const std::wstring text = toWide(row.text);
        controls_[rowOf(id)] = ::CreateWindowExW(
            native.exStyle, native.className, text.c_str(), native.style, 0, 0, 0, 0, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + rowOf(id))), instance,
            nullptr);
    }
    ::SendMessageW(control(ControlId::txtDis), EM_SETLIMITTEXT, 0, 0); // no 32 KB limit
}

void Form1Window::createToolTips(HINSTANCE instance) {
    toolTip_ =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
    if (!toolTip_)
        return; // the buttons work without them
    for (const form::Control& row : form::kControls) {
        if (form::toolTip(row.id).empty())
            continue;
        std::wstring text = toWide(form::toolTip(row.id));
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        // The tool is the button itself, which the tooltip watches for the mouse.
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(control(row.id));
        tool.lpszText = text.data(); // copied by the tooltip
        ::SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // Long enough for a tip to be read.
    ::SendMessageW(toolTip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(20000, 0));
}

void Form1Window::layout(int dpi) {
    dpi_ = dpi;
    const HFONT font = createUiFont(face_, dpi);
    for (const form::Control& row : form::kControls) {
        const HWND native = control(row.id);
        ::SendMessageW(native, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        RECT place = pixelRect(row, dpi);
        // A drop-down list's height includes its open list.
        if (row.kind == ControlKind::DriveList)
            place.bottom += form::twipsToPixels(row.height, dpi) * kDriveRowsShown;
        ::MoveWindow(native, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, TRUE);
    }
    if (toolTip_) {
        ::SendMessageW(toolTip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        ::SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0,
                       ::MulDiv(kToolTipWidth, dpi, USER_DEFAULT_SCREEN_DPI));
    }
    if (font_)
        ::DeleteObject(font_);
    font_ = font;

    // Dir1 draws its own lines: one text line and a little air each.
    TEXTMETRICW metrics{};
    const HDC dc = ::GetDC(window_);
    const HGDIOBJ old = ::SelectObject(dc, font_);
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(window_, dc);
    ::SendMessageW(control(ControlId::Dir1), LB_SETITEMHEIGHT, 0,
                   metrics.tmHeight + ::MulDiv(2, dpi, USER_DEFAULT_SCREEN_DPI));
    for (ControlId list : {ControlId::Dir1, ControlId::File1, ControlId::File2})
        fitHorizontalExtent(control(list));

    const SIZE size = windowSizeFor(clientSize(dpi), kWindowStyle, 0, dpi);
    ::SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(window_, nullptr, TRUE);
}

void Form1Window::start(int showCommand, const std::optional<std::string>& file) {
    inEvent_ = true;
    form_->Form_Load();
    inEvent_ = false;
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    ::SetFocus(control(ControlId::Drive1));
    ::SetTimer(window_, kTickTimer, form::kTickMilliseconds, nullptr);
    if (file) {
        inEvent_ = true;
        form_->openGiven(*file);
        inEvent_ = false;
    }
}

int Form1Window::run() {
    return preview::runMessageLoop([this](MSG& message) {
        return takeEnterOrEsc(message) || (window_ && ::IsDialogMessageW(window_, &message));
    });
}

bool Form1Window::takeEnterOrEsc(const MSG& message) {
    if (message.message != WM_KEYDOWN ||
        (message.wParam != VK_RETURN && message.wParam != VK_ESCAPE) || !window_ ||
        (message.hwnd != window_ && !::IsChild(window_, message.hwnd)))
        return false;
    // An open drive list takes its Enter and Esc itself.
    const HWND drive1 = control(ControlId::Drive1);
    if ((message.hwnd == drive1 || ::IsChild(drive1, message.hwnd)) &&
        ::SendMessageW(drive1, CB_GETDROPPEDSTATE, 0, 0))
        return false;
    // Enter in Dir1 opens its chosen folder, as a double-click does.
    if (message.wParam == VK_RETURN && message.hwnd == control(ControlId::Dir1))
        openDir1Line();
    return true;
}

LRESULT CALLBACK Form1Window::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Form1Window*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Form1Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    // No exception may cross Windows' frames; the form logic reports its own errors, so one
    // arriving here is unforeseen, and the window goes on after showing it.
    try {
        return self->handle(message, wParam, lParam);
    } catch (const std::exception& error) {
        self->inEvent_ = false;
        ::MessageBoxW(window, toWide(error.what()).c_str(), L"Quillet", MB_OK | MB_ICONERROR);
    } catch (...) {
        self->inEvent_ = false;
        ::MessageBoxW(window, L"?", L"Quillet", MB_OK | MB_ICONERROR);
    }
    return 0;
}

LRESULT Form1Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NEXTDLGCTL: {
        // A label's access key asks for the control after it (IsDialogMessageW sends this
        // to dialogs and plain windows alike; only a dialog's procedure would answer it).
        const HWND focus = ::GetFocus();
        const HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                         : ::GetNextDlgTabItem(window_, focus, wParam != 0);
        if (next) {
            ::SetFocus(next);
            if (::SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                ::SendMessageW(next, EM_SETSEL, 0, -1);
        }
        return 0;
    }
    case WM_TIMER:
        if (wParam == kTickTimer && !inEvent_) {
            inEvent_ = true;
            form_->tick();
            inEvent_ = false;
        }
        return 0;
    case WM_ACTIVATE:
        // The focus comes back to the control that had it when the window was left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus && ::IsChild(window_, focus))
                lastFocus_ = focus;
        } else if (lastFocus_) {
            ::SetFocus(lastFocus_);
        }
        return 0;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        layout(HIWORD(wParam));
        return 0;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        item->itemHeight = static_cast<UINT>(::MulDiv(18, dpi_, USER_DEFAULT_SCREEN_DPI));
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.hwndItem == control(ControlId::Dir1)) {
            drawDir1Line(item);
            return TRUE;
        }
        break;
    }
    case kTaskMessage:
        runTask(lParam);
        return 0;
    case WM_DROPFILES:
        openDropped(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_CLOSE:
        // Closing asks nothing: a run going ends and leaves its folder as it was.
        if (form_)
            form_->Form_Unload();
        quit();
        return 0;
    case WM_ENDSESSION:
        if (wParam) {
            if (form_)
                form_->Form_Unload();
            quit();
        }
        return 0;
    case WM_DESTROY:
        ::KillTimer(window_, kTickTimer);
        // No run may post once the window is gone: end one still going (when the window was
        // destroyed without WM_CLOSE), then drop what it left waiting.
        if (form_)
            form_->Form_Unload();
        taskTarget_ = nullptr;
        dropWaitingTasks();
        ::PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY: {
        const HWND window = window_;
        window_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void Form1Window::onCommand(int id, int code) {
    // Controls being made may notify before the form logic exists.
    if (!form_ || id < kFirstControlId ||
        id >= kFirstControlId + static_cast<int>(form::kControls.size()))
        return;
    const ControlId source = form::kControls[static_cast<std::size_t>(id - kFirstControlId)].id;
    inEvent_ = true;
    switch (source) {
    case ControlId::Drive1:
        if (code == CBN_DROPDOWN)
            form_->Drive1_DropDown();
        else if (code == CBN_CLOSEUP ||
                 (code == CBN_SELCHANGE &&
                  !::SendMessageW(control(ControlId::Drive1), CB_GETDROPPEDSTATE, 0, 0)))
            changeDriveIfNew();
        break;
    case ControlId::Dir1:
        if (code == LBN_DBLCLK)
            openDir1Line();
        break;
    case ControlId::File1:
    case ControlId::File2:
        if (code == LBN_SELCHANGE) {
            const LRESULT index = ::SendMessageW(control(source), LB_GETCURSEL, 0, 0);
            if (index != LB_ERR) {
                if (source == ControlId::File1)
                    form_->File1_Click(static_cast<std::size_t>(index));
                else
                    form_->File2_Click(static_cast<std::size_t>(index));
            }
        }
        break;
    case ControlId::cmdCul1:
        if (code == BN_CLICKED)
            form_->cmdCul1_Click();
        break;
    case ControlId::cmdCul2:
        if (code == BN_CLICKED)
            form_->cmdCul2_Click();
        break;
    case ControlId::cmdOpen:
        if (code == BN_CLICKED)
            form_->cmdOpen_Click();
        break;
    case ControlId::cmdExit:
        if (code == BN_CLICKED)
            form_->cmdExit_Click();
        break;
    default:
        break;
    }
    inEvent_ = false;
}

void Form1Window::runTask(LPARAM task) {
    const std::unique_ptr<std::function<void()>> owned(
        reinterpret_cast<std::function<void()>*>(task));
    if (!owned || !*owned || !form_)
        return;
    // A task may arrive inside a modal box's loop of an event: the tick waits for both.
    const bool wasInEvent = inEvent_;
    inEvent_ = true;
    (*owned)();
    inEvent_ = wasInEvent;
}

void Form1Window::dropWaitingTasks() {
    MSG message{};
    while (::PeekMessageW(&message, window_, kTaskMessage, kTaskMessage, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(message.lParam);
}

void Form1Window::openDropped(HDROP drop) {
    const std::vector<std::string> files = droppedFiles(drop);
    ::DragFinish(drop);
    if (!form_)
        return;
    inEvent_ = true;
    for (const std::string& file : files)
        form_->openGiven(file);
    inEvent_ = false;
}

void Form1Window::openDir1Line() {
    const LRESULT index = ::SendMessageW(control(ControlId::Dir1), LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || static_cast<std::size_t>(index) >= dir1Lines_.lines.size())
        return;
    const std::string folder = dir1Lines_.lines[static_cast<std::size_t>(index)].path;
    inEvent_ = true;
    form_->Dir1_Change(folder);
    inEvent_ = false;
}

void Form1Window::changeDriveIfNew() {
    const LRESULT index = ::SendMessageW(control(ControlId::Drive1), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR || static_cast<std::size_t>(index) >= drives_.size())
        return;
    const std::string drive = drives_[static_cast<std::size_t>(index)];
    if (drive != form_->drive1Drive())
        form_->Drive1_Change(drive);
}

void Form1Window::drawDir1Line(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1))
        return;
    const HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const std::size_t line = item.itemID;
    const int indent = line < dir1Lines_.lines.size() ? dir1Lines_.lines[line].indent : 0;
    const int height = item.rcItem.bottom - item.rcItem.top;
    const int step = ::MulDiv(12, dpi_, USER_DEFAULT_SCREEN_DPI);
    int x = item.rcItem.left + ::MulDiv(2, dpi_, USER_DEFAULT_SCREEN_DPI) + indent * step;

    // A folder: open for the current one and those above it, closed for those inside.
    const bool open = line <= dir1Lines_.current;
    const int w = height * 4 / 5;
    const int top = item.rcItem.top + height / 5;
    const int bottom = item.rcItem.bottom - height / 8;
    const HBRUSH fill = ::CreateSolidBrush(open ? RGB(0xF5, 0xD7, 0x7A) : RGB(0xE8, 0xC0, 0x50));
    const HPEN edge = ::CreatePen(PS_SOLID, 1, RGB(0x8A, 0x6A, 0x1E));
    const HGDIOBJ oldBrush = ::SelectObject(dc, fill);
    const HGDIOBJ oldPen = ::SelectObject(dc, edge);
    const POINT shape[] = {{x, top},
                           {x + w * 2 / 5, top},
                           {x + w / 2, top + height / 8},
                           {x + w, top + height / 8},
                           {x + w, bottom},
                           {x, bottom}};
    ::Polygon(dc, shape, static_cast<int>(std::size(shape)));
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::DeleteObject(edge);
    ::DeleteObject(fill);
    x += w + ::MulDiv(4, dpi_, USER_DEFAULT_SCREEN_DPI);

    const auto length = ::SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
    std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        std::max<LRESULT>(::SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID,
                                         reinterpret_cast<LPARAM>(text.data())),
                          0)));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT textRect = item.rcItem;
    textRect.left = x;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS)
        ::DrawFocusRect(dc, &item.rcItem);
}

void Form1Window::fitHorizontalExtent(HWND list) {
    const HDC dc = ::GetDC(list);
    const HGDIOBJ old = ::SelectObject(dc, font_);
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    const bool isDir1 = list == control(ControlId::Dir1);
    int widest = 0;
    std::wstring text;
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        text.assign(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        const auto got = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                        reinterpret_cast<LPARAM>(text.data()));
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(std::max<LRESULT>(got, 0)),
                                &size);
        int width = size.cx;
        if (isDir1 && static_cast<std::size_t>(i) < dir1Lines_.lines.size())
            width += (dir1Lines_.lines[static_cast<std::size_t>(i)].indent + 2) *
                     ::MulDiv(12, dpi_, USER_DEFAULT_SCREEN_DPI);
        widest = std::max(widest, width);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(list, dc);
    ::SendMessageW(list, LB_SETHORIZONTALEXTENT,
                   static_cast<WPARAM>(widest + ::MulDiv(6, dpi_, USER_DEFAULT_SCREEN_DPI)), 0);
}

std::string Form1Window::text(ControlId box) const {
    return toUtf8(windowText(control(box)));
}

void Form1Window::setText(ControlId box, std::string_view text) {
    ::SetWindowTextW(control(box), toWide(text).c_str());
}

void Form1Window::setCaption(std::string_view caption) {
    ::SetWindowTextW(window_, toWide(caption).c_str());
}

void Form1Window::setReport(std::string_view report) {
    // The run ends its lines with CR LF, as a multi-line edit box wants them.
    ::SetWindowTextW(control(ControlId::txtDis), toWide(report).c_str());
}

void Form1Window::showDrives(const std::vector<std::string>& drives, std::size_t chosen) {
    const HWND box = control(ControlId::Drive1);
    drives_ = drives;
    ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const std::string& drive : drives_)
        ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(driveCaption(drive).c_str()));
    ::SendMessageW(box, CB_SETCURSEL, chosen < drives_.size() ? chosen : WPARAM(-1), 0);
}

void Form1Window::chooseDrive(std::string_view drive) {
    const auto found = std::find(drives_.begin(), drives_.end(), drive);
    ::SendMessageW(
        control(ControlId::Drive1), CB_SETCURSEL,
        found == drives_.end() ? WPARAM(-1) : static_cast<WPARAM>(found - drives_.begin()), 0);
}

void Form1Window::showFolder(std::string_view folder) {
    const HWND list = control(ControlId::Dir1);
    dir1Lines_ = form::directoryLines(std::string(folder));
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const form::DirectoryLine& line : dir1Lines_.lines) {
        // The root as Windows writes it ("C:\"); folders by their names.
        std::wstring shown = line.indent == 0 ? driveCaption(line.shown) : toWide(line.shown);
        if (line.indent == 0 && shown.size() == 2 && shown[1] == L':')
            shown += L'\\';
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    }
    fitHorizontalExtent(list);
    // The current folder's line in full sight, the folders inside it below as far as they fit.
    RECT inside{};
    ::GetClientRect(list, &inside);
    const auto lineHeight = std::max<LRESULT>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), 1);
    const auto rows = std::max<LRESULT>((inside.bottom - inside.top) / lineHeight, 1);
    const auto current = static_cast<LRESULT>(dir1Lines_.current);
    ::SendMessageW(list, LB_SETTOPINDEX,
                   static_cast<WPARAM>(std::max<LRESULT>(current - rows + 2, 0)), 0);
    ::SendMessageW(list, LB_SETCURSEL, dir1Lines_.current, 0);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    // Both file lists start at their top in a new folder.
    newFolder_ = {true, true};
}

void Form1Window::showFiles(ControlId which, const std::vector<std::string>& names,
                            std::optional<std::size_t> chosen) {
    const HWND list = control(which);
    const std::size_t side = which == ControlId::File1 ? 0 : 1;
    // Listed again in the same folder, the list keeps its place.
    const LRESULT top = newFolder_[side] ? 0 : ::SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    newFolder_[side] = false;
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    ::SendMessageW(list, LB_INITSTORAGE, names.size(), names.size() * 32 * sizeof(wchar_t));
    for (const std::string& name : names)
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(name).c_str()));
    ::SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(std::max<LRESULT>(top, 0)), 0);
    ::SendMessageW(list, LB_SETCURSEL, chosen ? static_cast<WPARAM>(*chosen) : WPARAM(-1), 0);
    fitHorizontalExtent(list);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void Form1Window::chooseFile(ControlId list, std::size_t index) {
    ::SendMessageW(control(list), LB_SETCURSEL, index, 0);
}

void Form1Window::showError(std::string_view message) {
    preview::showError(window_, std::string(message));
}

void Form1Window::openPreview(const std::string& path) {
    preview::openPreview(window_, path);
}

void Form1Window::quit() {
    preview::closeAllPreviews();
    if (window_)
        ::DestroyWindow(window_);
}

void Form1Window::post(std::function<void()> task) {
    const HWND target = taskTarget_.load();
    if (!target)
        return;
    auto* posted = new std::function<void()>(std::move(task));
    if (!::PostMessageW(target, kTaskMessage, 0, reinterpret_cast<LPARAM>(posted)))
        delete posted;
}

} // namespace quillet::window::win32
