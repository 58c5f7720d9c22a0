// The window's program as it starts up, run on a folder to convert one file with 実行1 and
// end: the cleanup installed first, then Qt and its threads, then the window. It keeps one
// idle thread of its own besides, so that a process-directed signal always has a thread to
// land on other than the one that is converting.
// Usage: quillet-signal-probe FOLDER INPUT OUTPUT
#include "platform/TempFileCleanup.h"
#include "window/qt/Form1.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv) {
    quillet::platform::installSignalCleanup();
    if (argc != 4)
        return 2;
    std::thread([] { ::pause(); }).detach();
    QApplication app(argc, argv);
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
    quillet::window::qt::Form1 form([](QWidget*, const QString& message) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
        QApplication::exit(1);
    });
    form.show();
    form.findChild<QLineEdit*>(QStringLiteral("txtFileName"))
        ->setText(QString::fromLocal8Bit(argv[2]));
    form.findChild<QLineEdit*>(QStringLiteral("txtFileS"))
        ->setText(QString::fromLocal8Bit(argv[3]));
    // The run goes on a thread of its own: the program ends once it is over.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &form, [&form] {
        if (!form.running())
            QApplication::exit(0);
    });
    QTimer::singleShot(0, &form, [&form, &poll] {
        form.findChild<QPushButton*>(QStringLiteral("cmdCul1"))->click();
        poll.start(10);
    });
    return app.exec();
}
