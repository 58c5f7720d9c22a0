// quillet-soak-qt: the Qt window kept open for a working day, compressed, in this process; its
// memory, threads and file descriptors taken every 50 steps. See bench/README.md.
#include "Day.h"
#include "Folder.h"
#include "QtUser.h"

#include "window/qt/Form1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <iostream>

int main(int argc, char** argv) {
    using namespace quillet::bench::soak;
    Options options;
    try {
        options = parseOptions({argv + 1, argv + argc});
    } catch (const std::exception& error) {
        std::cerr << "quillet-soak-qt: " << error.what() << "\n" << kUsage;
        return 2;
    }
    // The options are the soak's, not Qt's.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    const QString base =
        options.folder.empty() ? QDir::tempPath() : QFile::decodeName(options.folder.c_str());
    QTemporaryDir scratch(base + QStringLiteral("/quillet-soak-XXXXXX"));
    if (!scratch.isValid()) {
        std::cerr << "quillet-soak-qt: no scratch folder in " << base.toStdString() << "\n";
        return 1;
    }
    const QString folder = scratch.filePath(QStringLiteral("day"));
    // The drawings the day's runs replace go to a trash of its own, not the user's.
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("data"))));
    try {
        prepareFolder(QFile::encodeName(folder).toStdString(), options.bigTexts);
    } catch (const std::exception& error) {
        std::cerr << "quillet-soak-qt: " << error.what() << "\n";
        return 1;
    }

    // The window opens on the process's current folder, with the real error box.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    quillet::window::qt::Form1 form;
    QDir::setCurrent(previous);
    form.show();
    QApplication::setActiveWindow(&form);
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::cerr << "quillet-soak-qt: the window did not show\n";
        return 1;
    }
    QtUser user(form, folder);
    std::vector<Sample> samples;
    try {
        samples = runDay(options.steps, [&](const Step& step) { user.doStep(step); });
    } catch (const std::exception& error) {
        std::cerr << "quillet-soak-qt: the day stopped: " << error.what() << "\n"
                  << tallyText(user.tally());
        return 1;
    }
    return finishDay(samples, user.tally(), options, QFile::encodeName(folder).toStdString());
}
