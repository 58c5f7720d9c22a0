#include "DriveBox.h"

#include <QSignalBlocker>

namespace quillet::window {

DriveBox::DriveBox(std::function<QStringList()> roots, QWidget* parent)
    : QComboBox(parent), roots_(std::move(roots)) {
    refill();
}

void DriveBox::refill() {
    const QString chosen = currentText();
    const QSignalBlocker quiet(this);
    clear();
    addItems(roots_());
    // A drive that went away leaves the choice on the first one, "/", without a change: the
    // folder shown stays until the user picks another drive.
    setCurrentIndex(std::max(0, findText(chosen)));
}

void DriveBox::showPopup() {
    refill();
    QComboBox::showPopup();
}

} // namespace quillet::window
