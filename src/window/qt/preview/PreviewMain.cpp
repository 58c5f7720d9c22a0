// quillet-preview: opens each drawing named on the command line in a preview window, for
// looking at a drawing without the main window.
#include "PreviewReporter.h"
#include "PreviewWindow.h"
#include "PreviewWindows.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillet::window::preview::PreviewWindows previews(
        nullptr, quillet::window::preview::messageBoxReporter());
    int opened = 0;
    for (int i = 1; i < argc; ++i)
        opened += previews.open(QByteArray(argv[i])) != nullptr;
    if (opened == 0)
        return 1;
    app.setQuitOnLastWindowClosed(true);
    return app.exec();
}
