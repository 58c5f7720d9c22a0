// The window procedure of a window owned by a C++ object kept in its user data: messages go to
// the object's handle(), and the object is deleted with the window.
#pragma once

#include <windows.h>

namespace quillet::window::win32::preview {

// Forwards message to the T in hwnd's user data (DefWindowProcW before it is set), and deletes
// that T when the window is destroyed. T befriends it for its private handle() and destructor.
template <class T> LRESULT CALLBACK ownedWindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* owner = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!owner)
        return DefWindowProcW(hwnd, message, w, l);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete owner;
        return DefWindowProcW(hwnd, message, w, l);
    }
    return owner->handle(message, w, l);
}

} // namespace quillet::window::win32::preview
