// The child window that shows a drawing from its session's view state, painted through a back
// buffer (no flicker): the wheel zooms about the cursor, dragging pans, and the
// cursor's drawing coordinates go to the frame as it moves.
#pragma once

#include "GdiPainter.h"

#include "drawing/Drawing.h"
#include "scene/ViewState.h"

#include "OwnedWindowProc.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace quillet::window::win32::preview {

class DrawingView {
  public:
    // Makes the view of state (which outlives it) as a child of parent; onCursor gets the
    // drawing point under the cursor.
    static DrawingView* create(HWND parent, scene::ViewState& state,
                               std::function<void(double x, double y)> onCursor);

    HWND hwnd() const noexcept { return hwnd_; }

    const std::shared_ptr<const drawing::Drawing>& drawing() const noexcept {
        return state_.drawing();
    }

    // Shows message (UTF-8) in the middle while there is no drawing (e.g. while reading).
    void setMessage(const std::string& message);

    // Zooms by factor about the view's pixel at.
    void zoomAt(scene::DevicePoint at, double factor);

    const scene::ViewTransform& transform() const noexcept { return state_.transform(); }

  private:
    DrawingView(scene::ViewState& state, std::function<void(double, double)> onCursor);
    template <class T> friend LRESULT CALLBACK ownedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void paint();

    HWND hwnd_ = nullptr;
    std::function<void(double, double)> onCursor_;
    scene::ViewState& state_;
    Surface back_;
    std::wstring message_;
    bool dragging_ = false;
    POINT dragFrom_{};
};

} // namespace quillet::window::win32::preview
