#include "ErrorReporter.h"

#include <QMessageBox>

namespace quillet::window::qt {

ErrorReporter messageBoxReporter() {
    return [](QWidget* parent, const QString& message) {
        QMessageBox::critical(parent, QStringLiteral("Quillet"), message);
    };
}

} // namespace quillet::window::qt
