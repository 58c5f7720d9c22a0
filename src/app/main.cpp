// quillet: the window program's start-up.
#include "AppOptions.h"
#include "Version.h"
#include "form/Listing.h"
#include "platform/Localized.h"
#include "platform/TempFileCleanup.h"
#include "window/qt/Form1.h"
#include "window/qt/preview/PreviewWindows.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <iostream>

int main(int argc, char** argv) {
    using namespace quillet;
    // --help and --version answer before Qt looks for a display, in the user's language.
    platform::useUserLanguage();
    const app::StartDecision start =
        app::decideStart({argv + 1, argv + argc}, std::cout, std::cerr);
    if (start.exitStatus)
        return *start.exitStatus;

    // A signal that ends the program in the middle of a conversion takes its unfinished
    // drawing with it.
    platform::installSignalCleanup();
    // Qt sees the program name alone, so that no FILE is ever taken for one of its options;
    // its environment variables (QT_QPA_PLATFORM, ...) still apply.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    // The desktop matches the window to its installed entry and icon by this name.
    const QString appId = QString::fromUtf8(kAppId.data(), static_cast<qsizetype>(kAppId.size()));
    QGuiApplication::setDesktopFileName(appId);
    QApplication::setWindowIcon(QIcon::fromTheme(appId));
    // The program speaks Japanese whatever the system's language, Qt's own dialogs too.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    // A drawing opens in the preview alone, which ends the program when it closes.
    if (start.options.file && form::namesADrawing(*start.options.file)) {
        window::qt::preview::PreviewWindows previews(nullptr, window::qt::messageBoxReporter());
        if (!previews.open(QByteArray::fromStdString(*start.options.file)))
            return 1;
        return app.exec();
    }
    window::qt::Form1 form;
    form.show();
    if (start.options.file)
        form.openGiven(QByteArray::fromStdString(*start.options.file));
    return app.exec();
}
