#include "platform/TempFileCleanup.h"
#include "window/Form1.h"

#include <QApplication>

int main(int argc, char** argv) {
    // A signal that ends the program in the middle of a conversion takes its unfinished
    // drawing with it.
    quillet::platform::installSignalCleanup();
    QApplication app(argc, argv);
    quillet::window::Form1 form;
    form.show();
    return app.exec();
}
