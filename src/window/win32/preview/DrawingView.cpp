// The view's messages: painting the scene into the back buffer and copying it, zooming and
// panning.
#include "DrawingView.h"

#include "PreviewWindows.h"
#include "WinText.h"

#include <windowsx.h>

#include <cmath>

namespace quillet::window::win32::preview {

namespace {

constexpr wchar_t kClass[] = L"QuilletPreviewView";

void registerClass() {
    static const bool done = [] {
        WNDCLASSEXW c{};
        c.cbSize = sizeof c;
        c.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        c.lpfnWndProc = DefWindowProcW; // replaced on creation
        c.hInstance = GetModuleHandleW(nullptr);
        c.hCursor = LoadCursorW(nullptr, IDC_CROSS);
        c.lpszClassName = kClass;
        return RegisterClassExW(&c) != 0;
    }();
    (void)done;
}

} // namespace

DrawingView::DrawingView(scene::ViewState& state, std::function<void(double, double)> onCursor)
    : onCursor_(std::move(onCursor)), state_(state) {}

DrawingView* DrawingView::create(HWND parent, scene::ViewState& state,
                                 std::function<void(double, double)> onCursor) {
    registerClass();
    auto* view = new DrawingView(state, std::move(onCursor));
    view->hwnd_ = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10,
                                  parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!view->hwnd_) {
        delete view;
        return nullptr;
    }
    SetWindowLongPtrW(view->hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
    SetWindowLongPtrW(view->hwnd_, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(&ownedWindowProc<DrawingView>));
    RECT r;
    GetClientRect(view->hwnd_, &r);
    view->state_.resize({static_cast<double>(r.right), static_cast<double>(r.bottom)});
    return view;
}

void DrawingView::setMessage(const std::string& message) {
    message_ = wide(message);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void DrawingView::zoomAt(scene::DevicePoint at, double factor) {
    state_.zoomAt(at, factor);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void DrawingView::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT r;
    GetClientRect(hwnd_, &r);
    if (back_.resize(r.right, r.bottom)) {
        back_.clear();
        if (state_.drawing()) {
            GdiPainter painter(back_);
            state_.draw(painter);
        }
        if (!message_.empty()) {
            HFONT font = makeTextFont(18);
            HGDIOBJ old = SelectObject(back_.dc(), font);
            SetBkMode(back_.dc(), TRANSPARENT);
            SetTextColor(back_.dc(), RGB(0x40, 0x40, 0x40));
            DrawTextW(back_.dc(), message_.c_str(), static_cast<int>(message_.size()), &r,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SelectObject(back_.dc(), old);
            DeleteObject(font);
        }
        BitBlt(dc, 0, 0, r.right, r.bottom, back_.dc(), 0, 0, SRCCOPY);
    }
    EndPaint(hwnd_, &ps);
}

LRESULT DrawingView::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel
    case WM_PAINT:
        paint();
        return 0;
    case WM_SIZE:
        state_.resize({static_cast<double>(LOWORD(l)), static_cast<double>(HIWORD(l))});
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN: {
        // The shortcuts also for a message loop that does not ask translatePreviewMessage.
        MSG msg{hwnd_, message, w, l, 0, {}};
        if (translatePreviewMessage(msg))
            return 0;
        break;
    }
    case WM_MOUSEWHEEL: {
        POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)}; // screen coordinates
        ScreenToClient(hwnd_, &at);
        const double steps = GET_WHEEL_DELTA_WPARAM(w) / 120.0;
        if (steps != 0)
            zoomAt({static_cast<double>(at.x), static_cast<double>(at.y)},
                   std::pow(scene::kWheelStepZoom, steps));
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
        SetFocus(hwnd_);
        dragging_ = true;
        dragFrom_ = {GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        SetCapture(hwnd_);
        SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
        return 0;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_CAPTURECHANGED:
        if (dragging_) {
            dragging_ = false;
            if (message != WM_CAPTURECHANGED)
                ReleaseCapture();
            SetCursor(LoadCursorW(nullptr, IDC_CROSS));
        }
        return 0;
    case WM_MOUSEMOVE: {
        const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        if (dragging_) {
            state_.pan(at.x - dragFrom_.x, at.y - dragFrom_.y);
            dragFrom_ = at;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        const drawing::Point p =
            transform().toDrawing({static_cast<double>(at.x), static_cast<double>(at.y)});
        if (onCursor_)
            onCursor_(p.x, p.y);
        return 0;
    }
    case WM_SETCURSOR:
        if (LOWORD(l) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, dragging_ ? IDC_SIZEALL : IDC_CROSS));
            return TRUE;
        }
        break;
    }
    return DefWindowProcW(hwnd_, message, w, l);
}

} // namespace quillet::window::win32::preview
