#pragma once

#include <QComboBox>
#include <QStringList>

#include <functional>

namespace quillet::window {

// Drive1: the drive list, filled again each time it opens, so that media plugged in after
// start-up appear. The drive chosen stays chosen while it is still there.
class DriveBox : public QComboBox {
    Q_OBJECT

  public:
    // Lists the drives that roots() returns, now and at every opening.
    DriveBox(std::function<QStringList()> roots, QWidget* parent = nullptr);

    // Fills the list anew without raising a change of drive.
    void refill();

    void showPopup() override;

  private:
    std::function<QStringList()> roots_;
};

} // namespace quillet::window
