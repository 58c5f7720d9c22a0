// The preview's error box.
#include "PreviewReporter.h"

#include <QMessageBox>

namespace quillet::window::preview {

PreviewReporter messageBoxReporter() {
    return [](QWidget* parent, const QString& message) {
        QMessageBox::critical(parent, QStringLiteral("Quillet"), message);
    };
}

} // namespace quillet::window::preview
