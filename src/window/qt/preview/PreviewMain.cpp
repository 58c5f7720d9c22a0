// quillet-preview: opens each drawing named on the command line in a preview window, for
// looking at a drawing without the main window; or, with --export or --texts, writes the
// fitted drawing or lists its texts without a display. --help and a wrong command line are
// answered without a display too.
#include "ErrorReporter.h"
#include "OffscreenCommands.h"
#include "PreviewWindow.h"
#include "PreviewWindows.h"

#include "platform/Localized.h"
#include "scene/PreviewCommandLine.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv) {
    using namespace quillet;
    platform::useUserLanguage();
    if (window::qt::preview::isCommand(argc, argv))
        return window::qt::preview::runCommand(argc, argv);
    const scene::PreviewCommand command =
        scene::parsePreviewCommand(std::vector<std::string>(argv + 1, argv + argc));
    // Qt sees the program's name alone, so that no drawing is taken for one of its options;
    // its environment variables (QT_QPA_PLATFORM, ...) still apply.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    window::qt::preview::PreviewWindows previews(nullptr, window::qt::messageBoxReporter());
    int opened = 0;
    for (const std::string& drawing : command.drawings)
        opened += previews.open(QByteArray::fromStdString(drawing)) != nullptr;
    if (opened == 0)
        return 1;
    app.setQuitOnLastWindowClosed(true);
    return app.exec();
}
