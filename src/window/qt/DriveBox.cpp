// Drive1 in Qt: the drives shown by their names, kept by their paths' bytes.
#include "DriveBox.h"

#include "platform/FolderListing.h"

#include <QSignalBlocker>

namespace quillet::window::qt {

DriveBox::DriveBox(std::function<void()> opening, QWidget* parent)
    : QComboBox(parent), opening_(std::move(opening)) {}

void DriveBox::showDrives(const QList<QByteArray>& drives, int chosen) {
    const QSignalBlocker quiet(this);
    clear();
    for (const QByteArray& drive : drives)
        addItem(QString::fromStdString(platform::displayName(drive.toStdString())), drive);
    setCurrentIndex(chosen);
}

bool DriveBox::choose(const QByteArray& path) {
    for (int index = 0; index < count(); ++index) {
        if (pathAt(index) == path) {
            const QSignalBlocker quiet(this);
            setCurrentIndex(index);
            return true;
        }
    }
    return false;
}

QByteArray DriveBox::pathAt(int index) const {
    // An entry added without its bytes is a path as shown.
    const QVariant bytes = itemData(index);
    return bytes.isValid() ? bytes.toByteArray() : itemText(index).toUtf8();
}

void DriveBox::showPopup() {
    opening_();
    QComboBox::showPopup();
}

} // namespace quillet::window::qt
