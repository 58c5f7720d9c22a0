// Drive1 in Qt: a drop-down list whose drives are read again each time it opens.
#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QStringList>

#include <functional>

namespace quillet::window::qt {

// Drive1: the drive list, told to fill itself anew each time it opens, so that media plugged
// in after start-up appear. Each drive is listed by its path.
class DriveBox : public QComboBox {
    Q_OBJECT

  public:
    // Calls opening() before the list opens, which is to fill it (showDrives).
    explicit DriveBox(std::function<void()> opening, QWidget* parent = nullptr);

    // Fills the list with drives (paths' bytes), drives[chosen] chosen, without raising a change.
    void showDrives(const QList<QByteArray>& drives, int chosen);
    // Chooses the drive at path without raising a change; false when it is not listed.
    bool choose(const QByteArray& path);
    // Returns the path of the drive at index (its bytes).
    QByteArray pathAt(int index) const;

    void showPopup() override;

  private:
    std::function<void()> opening_;
};

} // namespace quillet::window::qt
