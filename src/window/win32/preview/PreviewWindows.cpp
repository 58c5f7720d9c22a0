// The Windows preview's windows, made for the registry, and the message loop that gives them
// their shortcuts.
#include "PreviewWindows.h"

#include "GdiPainter.h"
#include "PreviewExport.h"
#include "PreviewWindow.h"
#include "WinText.h"

#include "scene/PreviewRegistry.h"

namespace quillet::window::win32::preview {

namespace {

// Over which window the registry's refusals are shown: the one that asked last.
HWND refusalOwner = nullptr;

scene::PreviewEnvironment previewEnvironment() {
    scene::PreviewEnvironment environment;
    environment.toolkit = &gdiExport();
    environment.ownApplications = {"quillet.exe", "quillet-preview.exe"};
    return environment;
}

scene::PreviewRegistry& registry() {
    static scene::PreviewRegistry open(
        [](const std::string& path) -> scene::PreviewSession* {
            PreviewWindow* window = PreviewWindow::create(path, previewEnvironment());
            return window ? &window->session() : nullptr;
        },
        [](std::string_view message) { showError(refusalOwner, std::string(message)); });
    return open;
}

} // namespace

HWND openPreview(HWND owner, const std::string& utf8Path) {
    refusalOwner = owner;
    scene::PreviewSession* session = registry().open(utf8Path);
    return session ? PreviewWindow::of(*session)->hwnd() : nullptr;
}

bool translatePreviewMessage(MSG& msg) {
    if (!msg.hwnd)
        return false;
    PreviewWindow* window = PreviewWindow::of(GetAncestor(msg.hwnd, GA_ROOT));
    return window && window->translate(msg);
}

int runMessageLoop(const std::function<bool(MSG&)>& takeFirst) {
    MSG message{};
    BOOL got = 0;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return 1;
        if (translatePreviewMessage(message) || (takeFirst && takeFirst(message)))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

int openPreviewCount() {
    return static_cast<int>(registry().sessions().size());
}

void closeAllPreviews() {
    // At once, not posted: the main window ends its message loop right after.
    const std::vector<scene::PreviewSession*> open = registry().sessions();
    for (scene::PreviewSession* session : open)
        DestroyWindow(PreviewWindow::of(*session)->hwnd());
}

void quitWhenLastPreviewCloses(bool quit) {
    if (quit)
        registry().onLastClosed = [] { PostQuitMessage(0); };
    else
        registry().onLastClosed = nullptr;
}

} // namespace quillet::window::win32::preview
