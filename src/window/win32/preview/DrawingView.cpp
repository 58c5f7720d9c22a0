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

DrawingView::DrawingView(std::function<void(double, double)> onCursor)
    : onCursor_(std::move(onCursor)) {}

DrawingView* DrawingView::create(HWND parent, std::function<void(double, double)> onCursor) {
    registerClass();
    auto* view = new DrawingView(std::move(onCursor));
    view->hwnd_ = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10,
                                  parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!view->hwnd_) {
        delete view;
        return nullptr;
    }
    SetWindowLongPtrW(view->hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
    SetWindowLongPtrW(view->hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DrawingView::proc));
    RECT r;
    GetClientRect(view->hwnd_, &r);
    view->resized(r.right, r.bottom);
    return view;
}

LRESULT CALLBACK DrawingView::proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* view = reinterpret_cast<DrawingView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!view)
        return DefWindowProcW(hwnd, message, w, l);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete view;
        return DefWindowProcW(hwnd, message, w, l);
    }
    return view->handle(message, w, l);
}

void DrawingView::setDrawing(std::shared_ptr<const drawing::Drawing> drawing) {
    drawing_ = std::move(drawing);
    // Fitted to what the texts take in the font, not to the reader's estimate of them.
    fitBox_ = drawing_ ? scene::measuredExtents(*drawing_, textMeasure()) : drawing::Box{};
    cache_.clear();
    message_.clear();
    fitAll();
}

void DrawingView::setMessage(const std::string& message) {
    message_ = wide(message);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void DrawingView::fitAll() {
    view_ = scene::ViewTransform::fitting(fitBox_, view_.size);
    fitScale_ = view_.scale;
    fitted_ = true;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void DrawingView::zoomAt(scene::DevicePoint at, double factor) {
    view_.zoomAbout(at, factor, fitScale_);
    fitted_ = false;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void DrawingView::resized(int width, int height) {
    view_.size = {static_cast<double>(std::max(width, 1)),
                  static_cast<double>(std::max(height, 1))};
    if (fitted_)
        fitAll();
}

void DrawingView::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT r;
    GetClientRect(hwnd_, &r);
    if (back_.resize(r.right, r.bottom)) {
        back_.clear();
        if (drawing_) {
            GdiPainter painter(back_);
            scene_.draw(*drawing_, view_, cache_, painter);
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
        resized(LOWORD(l), HIWORD(l));
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
            view_.pan(at.x - dragFrom_.x, at.y - dragFrom_.y);
            dragFrom_ = at;
            fitted_ = false;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        const drawing::Point p =
            view_.toDrawing({static_cast<double>(at.x), static_cast<double>(at.y)});
        if (onCursor_ && drawing_)
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
