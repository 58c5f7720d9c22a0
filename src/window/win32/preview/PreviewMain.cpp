// quillet-preview.exe: opens each drawing named on the command line in a preview window, for
// looking at a drawing without the main window. With --export FILE it writes the first
// drawing's whole view to FILE (PNG, SVG or PDF by its extension) and ends, for scripts.
#include "PreviewWindow.h"
#include "PreviewWindows.h"
#include "WinText.h"

#include "platform/CommandLine.h"

#include <windows.h>

#include <string>
#include <vector>

using namespace quillet::window::win32::preview;

namespace {

// Waits, running the messages, until window's reading has ended; false when it is gone.
bool waitForLoad(HWND window) {
    MSG msg;
    while (IsWindow(window) && PreviewWindow::of(window)->loading()) {
        if (!GetMessageW(&msg, nullptr, 0, 0))
            return false;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return IsWindow(window) && PreviewWindow::of(window)->view();
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::vector<std::string> args = quillet::platform::readCommandLine(0, nullptr).args;
    std::vector<std::string> drawings;
    std::string exportPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--export" && i + 1 < args.size())
            exportPath = args[++i];
        else
            drawings.push_back(args[i]);
    }
    if (drawings.empty()) {
        showError(nullptr, "使い方: quillet-preview [--export 画像ファイル] 図面.dxf...");
        return 2;
    }
    int opened = 0;
    HWND first = nullptr;
    for (const std::string& path : drawings) {
        HWND window = openPreview(nullptr, path);
        if (window && !first)
            first = window;
        opened += window != nullptr;
    }
    if (opened == 0)
        return 1;
    if (!exportPath.empty()) {
        if (!waitForLoad(first))
            return 1;
        const std::string error = PreviewWindow::of(first)->exportTo(exportPath, true);
        closeAllPreviews();
        if (!error.empty()) {
            showError(nullptr, error);
            return 1;
        }
        return 0;
    }
    quitWhenLastPreviewCloses(true);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (translatePreviewMessage(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
