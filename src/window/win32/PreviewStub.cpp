// Stands in for the Win32 preview (src/window/win32/preview/) while a build has none: 開く
// opens nothing. The window calls only what preview/PreviewWindows.h declares.
#include "preview/PreviewWindows.h"

namespace quillet::window::win32::preview {

HWND openPreview(HWND, const std::string&) {
    return nullptr;
}

bool translatePreviewMessage(MSG&) {
    return false;
}

int openPreviewCount() {
    return 0;
}

void closeAllPreviews() {}

void quitWhenLastPreviewCloses(bool) {}

} // namespace quillet::window::win32::preview
