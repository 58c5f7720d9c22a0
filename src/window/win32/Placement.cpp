// Pixels from twips at the window's DPI.
#include "Placement.h"

#include "platform/win32/WideText.h"

#include <algorithm>

namespace quillet::window::win32 {

RECT pixelRect(const form::Control& control, int dpi) {
    const int left = form::twipsToPixels(control.left, dpi);
    const int top = form::twipsToPixels(control.top, dpi);
    return {left, top, left + form::twipsToPixels(control.width, dpi),
            top + form::twipsToPixels(control.height, dpi)};
}

SIZE clientSize(int dpi) {
    return {form::twipsToPixels(form::kClientWidthTwips, dpi),
            form::twipsToPixels(form::kClientHeightTwips, dpi)};
}

namespace {

// Calls that Windows 10 1607 brought; older systems run without them.
template <class Function> Function user32Call(const char* name) {
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
               : nullptr;
}

} // namespace

int dpiOf(HWND window) {
    static const auto getDpiForWindow = user32Call<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow && window)
        if (const UINT dpi = getDpiForWindow(window))
            return static_cast<int>(dpi);
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

SIZE windowSizeFor(SIZE client, DWORD style, DWORD exStyle, int dpi) {
    static const auto adjustForDpi =
        user32Call<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace quillet::window::win32
