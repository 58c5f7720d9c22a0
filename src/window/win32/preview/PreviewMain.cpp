// quillet-preview.exe: opens each drawing named on the command line in a preview window, for
// looking at a drawing without the main window; or, with --export or --texts, writes the
// fitted drawing or lists its texts without a window, for scripts. --help and a wrong command
// line are answered without a window too.
#include "ConsoleCommands.h"
#include "PreviewWindows.h"

#include "platform/CommandLine.h"
#include "platform/Localized.h"
#include "scene/PreviewCommandLine.h"

#include <windows.h>

#include <string>
#include <vector>

using namespace quillet::window::win32::preview;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    quillet::platform::useUserLanguage();
    const std::vector<std::string> args = quillet::platform::readCommandLine(0, nullptr).args;
    if (isCommand(args))
        return runCommand(args);
    int opened = 0;
    for (const std::string& path : quillet::scene::parsePreviewCommand(args).drawings)
        opened += openPreview(nullptr, path) != nullptr;
    if (opened == 0)
        return 1;
    quitWhenLastPreviewCloses(true);
    return runMessageLoop();
}
