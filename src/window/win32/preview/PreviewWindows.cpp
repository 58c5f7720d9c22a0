// Opening preview windows: the checks that come before a window, and finding the window a
// file already has.
#include "PreviewWindows.h"

#include "PreviewWindow.h"
#include "WinText.h"

#include "drawing/Reader.h"
#include "platform/InputFile.h"
#include "platform/RunError.h"

#include <algorithm>
#include <vector>

namespace quillet::window::win32::preview {

namespace {

struct Open {
    platform::FileIdentity identity;
    HWND window;
};

// The windows open now; a window leaves when it is destroyed.
std::vector<Open>& openWindows() {
    static std::vector<Open> open;
    return open;
}

bool quitWhenLast = false;

} // namespace

HWND openPreview(HWND owner, const std::string& utf8Path) {
    platform::FileIdentity identity;
    try {
        // Opening it tells whether it is there and readable, and which file it is.
        platform::InputFile file(utf8Path);
        identity = file.identity();
        // Text and binary drawings are both read; only what is no drawing is refused here.
        const std::string refused = drawing::refusal(drawing::kindOf(drawing::readStart(utf8Path)));
        if (!refused.empty()) {
            showError(owner, refused + "\n" + utf8Path);
            return nullptr;
        }
    } catch (const platform::RunError& error) {
        showError(owner, error.what());
        return nullptr;
    }
    auto& open = openWindows();
    std::erase_if(open, [](const Open& o) { return !IsWindow(o.window); });
    for (const Open& o : open) {
        if (o.identity == identity) {
            PreviewWindow* window = PreviewWindow::of(o.window);
            if (IsIconic(o.window))
                ShowWindow(o.window, SW_RESTORE);
            SetForegroundWindow(o.window);
            window->load();
            return o.window;
        }
    }
    HWND window = PreviewWindow::create(utf8Path, [](HWND closed) {
        auto& list = openWindows();
        std::erase_if(list, [closed](const Open& o) { return o.window == closed; });
        if (list.empty() && quitWhenLast)
            PostQuitMessage(0);
    });
    if (!window) {
        showError(owner, "プレビューのウィンドウを作れませんでした。");
        return nullptr;
    }
    open.push_back({identity, window});
    PreviewWindow::of(window)->load();
    return window;
}

bool translatePreviewMessage(MSG& msg) {
    if (!msg.hwnd)
        return false;
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    PreviewWindow* window = PreviewWindow::of(root);
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
    auto& open = openWindows();
    std::erase_if(open, [](const Open& o) { return !IsWindow(o.window); });
    return static_cast<int>(open.size());
}

void closeAllPreviews() {
    const std::vector<Open> open = openWindows();
    for (const Open& o : open)
        if (IsWindow(o.window))
            DestroyWindow(o.window);
}

void quitWhenLastPreviewCloses(bool quit) {
    quitWhenLast = quit;
}

} // namespace quillet::window::win32::preview
