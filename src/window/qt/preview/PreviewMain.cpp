// quillet-preview: opens each drawing named on the command line in a preview window, for
// looking at a drawing without the main window; or, with --export or --texts, writes the
// fitted drawing or lists its texts without a display.
#include "ErrorReporter.h"
#include "PreviewCommand.h"
#include "PreviewWindow.h"
#include "PreviewWindows.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv) {
    if (quillet::window::qt::preview::isCommand(argc, argv))
        return quillet::window::qt::preview::runCommand(argc, argv);
    QApplication app(argc, argv);
    quillet::window::qt::preview::PreviewWindows previews(
        nullptr, quillet::window::qt::messageBoxReporter());
    int opened = 0;
    for (int i = 1; i < argc; ++i)
        opened += previews.open(QByteArray(argv[i])) != nullptr;
    if (opened == 0)
        return 1;
    app.setQuitOnLastWindowClosed(true);
    return app.exec();
}
